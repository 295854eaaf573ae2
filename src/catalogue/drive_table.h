#pragma once
#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace verdan {

// The table of present drives shown by the collection window (StringGrid_hd): row 0 holds the
// headers, every further row one drive. The global-list window looks disks up in it.
class DriveTable {
public:
    static constexpr int kColumns = 6;
    static constexpr std::array<const char*, kColumns> kHeaders = {"drive",     "nom-disque", "type-disque",
                                                                   "NS-disque", "libre",      "total"};

    // As the window creates it: the header row and one blank row.
    DriveTable();

    int rowCount() const { return static_cast<int>(m_rows.size()); }
    bool hasDriveRows() const { return m_rows.size() > 1; }
    const std::string& cell(int row, int column) const;
    void setCell(int row, int column, std::string text);
    // Adds a blank row at the bottom and returns its index.
    int addRow();
    void clearToHeader();

    // First column whose header, trimmed, equals the trimmed text (case-sensitive); -1 when none
    // matches or the text is blank.
    int indice_col1(std::string_view header) const;

    // The grid's current row; -1 when there is none.
    int currentRow() const { return m_currentRow; }
    void setCurrentRow(int row) { m_currentRow = row; }

private:
    std::vector<std::array<std::string, kColumns>> m_rows;
    int m_currentRow = -1;
};

} // namespace verdan
