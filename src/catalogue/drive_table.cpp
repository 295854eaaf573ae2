#include "catalogue/drive_table.h"

#include "util/text.h"

namespace verdan {

DriveTable::DriveTable() {
    m_rows.resize(2);
    for (int c = 0; c < kColumns; ++c)
        m_rows[0][static_cast<std::size_t>(c)] = kHeaders[static_cast<std::size_t>(c)];
}

const std::string& DriveTable::cell(int row, int column) const {
    static const std::string empty;
    if (row < 0 || row >= rowCount() || column < 0 || column >= kColumns) return empty;
    return m_rows[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)];
}

void DriveTable::setCell(int row, int column, std::string text) {
    if (row < 0 || row >= rowCount() || column < 0 || column >= kColumns) return;
    m_rows[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)] = std::move(text);
}

int DriveTable::addRow() {
    m_rows.emplace_back();
    return rowCount() - 1;
}

void DriveTable::clearToHeader() {
    m_rows.resize(1);
    if (m_currentRow > 0) m_currentRow = 0;
}

int DriveTable::indice_col1(std::string_view header) const {
    std::string_view wanted = trimControl(header);
    if (wanted.empty()) return -1;
    for (int c = 0; c < kColumns; ++c)
        if (trimControl(cell(0, c)) == wanted) return c;
    return -1;
}

} // namespace verdan
