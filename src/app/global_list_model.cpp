#include "global_list_model.h"

#include "util/text.h"

GlobalListModel::GlobalListModel(verdan::GlobalList& list, QObject* parent)
    : QAbstractTableModel(parent), m_list(&list), m_table(list) {
    list.setListener(this);
}

GlobalListModel::GlobalListModel(verdan::SearchResult& result, QObject* parent)
    : QAbstractTableModel(parent), m_result(&result), m_table(result) {
    result.setListener(this);
}

GlobalListModel::~GlobalListModel() {
    if (m_list) m_list->setListener(nullptr);
    if (m_result) m_result->setListener(nullptr);
}

int GlobalListModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid() || m_table.rowCount() == 0) return 0;
    return static_cast<int>(m_table.rowCount() - 1);
}

int GlobalListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : verdan::kListColumns;
}

QVariant GlobalListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    if (role == Qt::DisplayRole || (role == Qt::ToolTipRole && index.column() == 3)) {
        std::string_view text = m_table.cell(static_cast<std::size_t>(index.row()) + 1, index.column());
        // The number is padded with blanks to line up in a fixed font; here it is right-aligned.
        if (index.column() == 0) text = verdan::trimBlanks(text);
        return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    }
    if (role == Qt::TextAlignmentRole && index.column() == 0) return int(Qt::AlignRight | Qt::AlignVCenter);
    return {};
}

QVariant GlobalListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Vertical) {
        return role == Qt::DisplayRole ? QVariant(section + 1) : QVariant();
    }
    if (role != Qt::DisplayRole || m_table.rowCount() == 0) return {};
    std::string_view text = m_table.cell(0, section);
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

void GlobalListModel::aboutToReset() {
    beginResetModel();
}
void GlobalListModel::tableReset() {
    endResetModel();
}

void GlobalListModel::aboutToInsertRows(std::size_t first, std::size_t count) {
    // The header row is not a model row; inserting it changes the header only.
    m_headerInsert = first == 0;
    if (m_headerInsert) {
        beginResetModel();
        return;
    }
    beginInsertRows(QModelIndex(), static_cast<int>(first - 1), static_cast<int>(first - 1 + count - 1));
}

void GlobalListModel::rowsInserted(std::size_t, std::size_t) {
    if (m_headerInsert) {
        m_headerInsert = false;
        endResetModel();
        return;
    }
    endInsertRows();
}

void GlobalListModel::aboutToRemoveRows(std::size_t first, std::size_t count) {
    m_headerRemove = first == 0;
    if (m_headerRemove) {
        beginResetModel();
        return;
    }
    beginRemoveRows(QModelIndex(), static_cast<int>(first - 1), static_cast<int>(first - 1 + count - 1));
}

void GlobalListModel::rowsRemoved(std::size_t, std::size_t) {
    if (m_headerRemove) {
        m_headerRemove = false;
        endResetModel();
        return;
    }
    endRemoveRows();
}

void GlobalListModel::cellChanged(std::size_t row, int col) {
    if (row == 0) {
        emit headerDataChanged(Qt::Horizontal, col, col);
        return;
    }
    QModelIndex i = index(static_cast<int>(row - 1), col);
    emit dataChanged(i, i, {Qt::DisplayRole});
}

void GlobalListModel::columnChanged(int col, std::size_t first, std::size_t last) {
    // One notice for a whole column ("tout cocher" on a million rows), not one per cell.
    if (first == 0) {
        emit headerDataChanged(Qt::Horizontal, col, col);
        if (last == 0) return;
        first = 1;
    }
    emit dataChanged(index(static_cast<int>(first - 1), col), index(static_cast<int>(last - 1), col),
                     {Qt::DisplayRole});
}

void GlobalListModel::rowSelected(std::size_t row) {
    emit currentRowChanged(static_cast<int>(row));
}
