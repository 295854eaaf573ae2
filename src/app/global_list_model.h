#pragma once
#include <QAbstractTableModel>

#include "browse/browse_state.h"
#include "catalogue/global_list.h"

// Shows a core table (the global list or a search result over it) in a QTableView without
// copying its rows: row 0 of the table becomes the horizontal header, data row r the model's
// row r - 1.
class GlobalListModel : public QAbstractTableModel, public verdan::GlobalListListener {
    Q_OBJECT
public:
    explicit GlobalListModel(verdan::GlobalList& list, QObject* parent = nullptr);
    explicit GlobalListModel(verdan::SearchResult& result, QObject* parent = nullptr);
    ~GlobalListModel() override;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    void aboutToReset() override;
    void tableReset() override;
    void aboutToInsertRows(std::size_t first, std::size_t count) override;
    void rowsInserted(std::size_t first, std::size_t count) override;
    void aboutToRemoveRows(std::size_t first, std::size_t count) override;
    void rowsRemoved(std::size_t first, std::size_t count) override;
    void cellChanged(std::size_t row, int col) override;
    void columnChanged(int col, std::size_t first, std::size_t last) override;
    void rowSelected(std::size_t row) override;

signals:
    // A table row (1 = first data row) the core made current.
    void currentRowChanged(int tableRow);

private:
    verdan::GlobalList* m_list = nullptr;
    verdan::SearchResult* m_result = nullptr;
    verdan::GridTable m_table;
    bool m_headerInsert = false;
    bool m_headerRemove = false;
};
