#pragma once
#include <QAbstractListModel>

#include "collect/found_list.h"

// The found list of the collection window, read where it lives (no copy of its lines).
class FoundListModel : public QAbstractListModel {
    Q_OBJECT
public:
    explicit FoundListModel(const verdan::FoundList& lines, QObject* parent = nullptr)
        : QAbstractListModel(parent), m_lines(lines) {}
    int rowCount(const QModelIndex& parent = QModelIndex()) const override {
        return parent.isValid() ? 0 : static_cast<int>(m_lines.size());
    }
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override {
        if (role != Qt::DisplayRole || !index.isValid() ||
            static_cast<std::size_t>(index.row()) >= m_lines.size())
            return {};
        return QString::fromStdString(m_lines.at(static_cast<std::size_t>(index.row())));
    }
    // The list changed under the view: lines are inserted in sorted places, so the view starts over.
    void changed() {
        beginResetModel();
        endResetModel();
    }

private:
    const verdan::FoundList& m_lines;
};
