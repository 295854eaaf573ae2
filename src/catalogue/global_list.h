#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/row_store.h"

namespace verdan {

inline constexpr int kListColumns = 14;

// The standard headers, by position.
inline constexpr std::array<std::string_view, kListColumns> kStandardHeaders = {
    "n",      "nom-disque", "média",       "titre",     "ext",   "date",  "répertoire",
    "taille", "drive",      "type-disque", "NS-disque", "libre", "total", " x"};

// Told of every change of the table, after it happened; the "about to" calls come before it.
// Rows are numbered as in the table: row 0 is the header row.
class GlobalListListener {
public:
    virtual ~GlobalListListener() = default;
    virtual void aboutToReset() {}
    virtual void tableReset() {}
    virtual void aboutToInsertRows(std::size_t /*first*/, std::size_t /*count*/) {}
    virtual void rowsInserted(std::size_t /*first*/, std::size_t /*count*/) {}
    virtual void aboutToRemoveRows(std::size_t /*first*/, std::size_t /*count*/) {}
    virtual void rowsRemoved(std::size_t /*first*/, std::size_t /*count*/) {}
    // Row 0 is the header row.
    virtual void cellChanged(std::size_t /*row*/, int /*col*/) {}
    // Column `col` of rows first to last changed at once. Override it to refresh in one go: the
    // default calls cellChanged for each row.
    virtual void columnChanged(int col, std::size_t first, std::size_t last) {
        for (std::size_t row = first; row <= last; ++row) cellChanged(row, col);
    }
    virtual void rowSelected(std::size_t /*row*/) {}
};

// Reads the rows of a table on other threads (a search as the user types). The table stops it
// before any change of its rows, on the thread that changes them, which the reader's threads
// could otherwise see half made.
class ListReader {
public:
    virtual ~ListReader() = default;
    // The reader's threads have stopped and will not read the table again.
    virtual void stopReading() = 0;
};

// The catalogue in memory: row 0 the headers, then one row of 14 text cells (UTF-8) per media file.
// Rows live in a compact store, so a million of them take about the size of their list file.
class GlobalList {
public:
    // The empty list: standard headers and one blank row.
    GlobalList();
    // Takes the rows of `other`; the listener stays with the object it was set on.
    GlobalList(GlobalList&& other) noexcept;
    GlobalList& operator=(GlobalList&&) = delete;
    GlobalList(const GlobalList&) = delete;
    GlobalList& operator=(const GlobalList&) = delete;
    ~GlobalList() { stopReader(); }

    void setListener(GlobalListListener* listener) { m_listener = listener; }
    // One reader at a time; stopped (and forgotten) before the next change of the rows.
    void setReader(ListReader* reader) { m_reader = reader; }
    ListReader* reader() const { return m_reader; }
    // The maker of the key set after a load (catalogue/list_load.h), a reader apart from the
    // search's, stopped with it.
    void setKeysReader(ListReader* reader) { m_keysReader = reader; }
    ListReader* keysReader() const { return m_keysReader; }

    std::size_t rowCount() const { return m_rows.size(); }
    // Empty for a row or column out of range (a column lookup that found nothing gives -1).
    std::string_view cell(std::size_t row, int col) const;
    std::vector<std::string> rowCells(std::size_t row) const;
    // The 14 cells joined by tabs.
    std::string_view rowText(std::size_t row) const { return m_rows.row(row); }
    void prefetchRowRef(std::size_t row) const { m_rows.prefetchRef(row); }
    bool isEmptyRow(std::size_t row) const; // every cell empty

    // Tabs and line breaks cannot be stored in a cell (nor in a list file): they become '?'.
    void setCell(std::size_t row, int col, std::string_view text);
    void setRow(std::size_t row, const std::vector<std::string>& cells);
    // Cells past the 14th are dropped, missing ones are empty. Returns the new row's index.
    std::size_t appendRow(const std::vector<std::string>& cells);
    std::size_t appendRow(std::initializer_list<std::string_view> cells);
    void appendRows(const std::vector<std::vector<std::string>>& rows);
    std::size_t appendBlankRow();
    // Moves the rows of `other` from `firstRow` on to the end of this table.
    void appendRowsFrom(GlobalList&& other, std::size_t firstRow);

    // Sets column `col` of the data rows from `first` to `last` (every one by default) to `text`
    // with one notification; a mark fits in each row's spare bytes, so marking a million rows
    // moves none of them.
    void setColumn(int col, std::string_view text, std::size_t first = 1, std::size_t last = SIZE_MAX);
    // The same for the data rows named (ascending), when they are known to be the only ones whose
    // cell differs: the others are not read.
    void setColumnOfRows(int col, std::string_view text, const std::vector<std::size_t>& rows);
    // Data rows whose cell in column `col` equals `text`.
    std::size_t countCells(int col, std::string_view text) const;
    // This table becomes row 0 of `source` followed by copies of the given rows of `source`.
    void assignRowsFrom(const GlobalList& source, const std::vector<std::size_t>& rows);

    // Removes the data rows at the given positions, compacting once; costs what it removes (and
    // the rows after the first one move) when they are ascending, each once.
    void removeRows(const std::vector<std::size_t>& sortedRows);
    // keep[r] false removes row r; keep.size() must equal rowCount().
    void keepRows(const std::vector<bool>& keep);
    // New order of the data rows: order[i] is the current row that becomes row i + 1. The rows are
    // written anew in that order unless `rewrite` is false (an order that keeps neighbours together).
    void reorderDataRows(const std::vector<std::size_t>& order, bool rewrite = true);

    // Takes every row of `other`, header included.
    void replaceAll(GlobalList&& other);
    // Standard headers and one blank row.
    void resetToEmptyList();

    // Writes the standard headers into row 0 by position.
    void init_entetes();
    // Column of the header text, sort markers " <<" and " >>" ignored on both sides; -1 when none.
    int indice_col_liste(std::string_view name) const;
    // The same in a header row's text (cells joined by tabs), before it is in a table.
    static int columnOfHeader(std::string_view headerRow, std::string_view name);
    // Cell `col` of a row's text; empty for a column out of range.
    static std::string_view cellOfRow(std::string_view row, int col);

    // Column 0 blank after trimming blanks.
    bool isBlankRow(std::size_t row) const;
    // Data rows, 0 for the blank row of an empty list.
    std::size_t mediaCount() const;

    std::size_t selectedRow() const { return m_selectedRow; }
    void selectRow(std::size_t row);

    // Stamps of the data rows, for what is worked out from them and kept (the runs of a sort): the
    // rows' stamp changes whenever rows come, go or move, a column's whenever one of its data
    // cells changes. A stamp is never given twice, in any table.
    std::uint64_t rowsStamp() const { return m_rowsStamp; }
    std::uint64_t columnStamp(int col) const {
        return col >= 0 && col < kListColumns ? m_columnStamps[static_cast<std::size_t>(col)] : 0;
    }

    // Bytes held by the rows, for the memory figures.
    std::size_t memoryUsage() const { return m_rows.memoryUsage(); }
    void reserveRows(std::size_t rows) {
        stopReader();
        m_rows.reserveRows(rows);
    }

    // The table may differ from the list file (quitting offers to save).
    bool ListModified = false;

private:
    friend class ListLoader;
    RowStore& store() {
        stopReader();
        return m_rows;
    }
    void stopReader() {
        if (ListReader* reader = m_reader) {
            m_reader = nullptr;
            reader->stopReading();
        }
        if (ListReader* reader = m_keysReader) {
            m_keysReader = nullptr;
            reader->stopReading();
        }
    }
    void notifyReset();
    // Appends a row already joined by tabs, with its listener calls.
    std::size_t appendBuiltRow(const std::string& text);
    void notifyInserted(std::size_t first, std::size_t count);
    void beginInsert(std::size_t first, std::size_t count);
    void rowsChanged();
    void cellsChanged(int col);

    RowStore m_rows{RowStore::kMarkSpare};
    std::string m_scratch;
    std::string m_appendText;
    GlobalListListener* m_listener = nullptr;
    ListReader* m_reader = nullptr;
    ListReader* m_keysReader = nullptr;
    std::size_t m_selectedRow = 1;
    std::uint64_t m_rowsStamp = 0;
    std::array<std::uint64_t, kListColumns> m_columnStamps{};
};

// Removes the first " <<" and then the first " >>".
std::string oter_marques_tri(std::string_view header);

} // namespace verdan
