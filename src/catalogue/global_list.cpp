#include "catalogue/global_list.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <utility>

#include "util/mask.h"
#include "util/text.h"

namespace verdan {
namespace {

// Bounds of cell `col` counted from the end of the row: the later cells are short, so this
// visits a few bytes where a forward search crosses the long title and folder.
bool cellBoundsFromEnd(std::string_view row, int col, std::size_t& start, std::size_t& end) {
    const char* data = row.data();
    std::size_t at = row.size();
    end = at;
    for (int c = kListColumns - 1; c >= col; --c) {
        while (at > 0 && data[at - 1] != '\t') --at;
        if (c == col) break;
        if (at == 0) return false; // fewer tabs than cells: let the forward search decide
        end = --at;
    }
    start = at;
    return col == 0 || at > 0;
}

// Bounds of cell `col` inside a row text of 14 tab-separated cells.
std::pair<std::size_t, std::size_t> cellBounds(std::string_view row, int col) {
    const char* data = row.data();
    const std::size_t size = row.size();
    if (col > kListColumns / 2) {
        std::size_t start = 0, end = 0;
        if (cellBoundsFromEnd(row, col, start, end)) return {start, end};
    }
    std::size_t start = 0;
    for (int c = 0; c < col; ++c) {
        const void* tab = std::memchr(data + start, '\t', size - start);
        if (!tab) return {size, size};
        start = static_cast<std::size_t>(static_cast<const char*>(tab) - data) + 1;
    }
    const void* tab = std::memchr(data + start, '\t', size - start);
    const std::size_t end = tab ? static_cast<std::size_t>(static_cast<const char*>(tab) - data) : size;
    return {start, end};
}

void appendCellText(std::string& out, std::string_view text) {
    const std::size_t at = out.size();
    out.append(text);
    // Every byte written back, changed or not, so that the loop runs many bytes at a time.
    char* p = out.data() + at;
    for (std::size_t i = 0, n = text.size(); i < n; ++i) {
        const char c = p[i];
        p[i] = c == '\t' || c == '\r' || c == '\n' ? '?' : c;
    }
}

template <class Cells> void buildRow(std::string& out, const Cells& cells) {
    out.clear();
    int col = 0;
    for (const auto& cell : cells) {
        if (col == kListColumns) break;
        if (col) out.push_back('\t');
        appendCellText(out, cell);
        ++col;
    }
    for (; col < kListColumns; ++col) {
        if (col) out.push_back('\t');
    }
}

const std::string& blankRowText() {
    static const std::string text(kListColumns - 1, '\t');
    return text;
}

std::uint64_t newStamp() {
    static std::atomic<std::uint64_t> last{0};
    return ++last;
}

std::string standardHeaderRow() {
    std::string row;
    buildRow(row, kStandardHeaders);
    return row;
}

} // namespace

GlobalList::GlobalList() {
    m_rows.push(standardHeaderRow());
    m_rows.push(blankRowText());
    rowsChanged();
    cellsChanged(-1);
}

GlobalList::GlobalList(GlobalList&& other) noexcept
    : ListModified(other.ListModified), m_rows((other.stopReader(), std::move(other.m_rows))),
      m_selectedRow(other.m_selectedRow) {
    rowsChanged();
    cellsChanged(-1);
    other.rowsChanged();
}

void GlobalList::rowsChanged() {
    m_rowsStamp = newStamp();
}

// -1: every column.
void GlobalList::cellsChanged(int col) {
    if (col >= 0) {
        m_columnStamps[static_cast<std::size_t>(col)] = newStamp();
        return;
    }
    for (std::uint64_t& stamp : m_columnStamps) stamp = newStamp();
}

std::string_view GlobalList::cell(std::size_t row, int col) const {
    if (row >= m_rows.size()) return {};
    return cellOfRow(m_rows.row(row), col);
}

std::string_view GlobalList::cellOfRow(std::string_view row, int col) {
    if (col < 0 || col >= kListColumns) return {};
    auto [start, end] = cellBounds(row, col);
    return row.substr(start, end - start);
}

std::vector<std::string> GlobalList::rowCells(std::size_t row) const {
    std::vector<std::string> cells;
    cells.reserve(kListColumns);
    std::string_view text = row < m_rows.size() ? m_rows.row(row) : std::string_view(blankRowText());
    std::size_t start = 0;
    for (int c = 0; c < kListColumns; ++c) {
        std::size_t tab = text.find('\t', start);
        if (tab == std::string_view::npos) tab = text.size();
        cells.emplace_back(text.substr(start, tab - start));
        start = tab < text.size() ? tab + 1 : text.size();
    }
    return cells;
}

bool GlobalList::isEmptyRow(std::size_t row) const {
    if (row >= m_rows.size()) return true;
    return m_rows.row(row).find_first_not_of('\t') == std::string_view::npos;
}

void GlobalList::setCell(std::size_t row, int col, std::string_view text) {
    stopReader();
    if (row >= m_rows.size() || col < 0 || col >= kListColumns) return;
    std::string_view current = m_rows.row(row);
    auto [start, end] = cellBounds(current, col);
    // The scratch text keeps its capacity: marking a million rows allocates nothing per row.
    m_scratch.assign(current.substr(0, start));
    appendCellText(m_scratch, text);
    m_scratch.append(current.substr(end));
    m_rows.set(row, m_scratch);
    if (row > 0) cellsChanged(col);
    if (m_listener) m_listener->cellChanged(row, col);
}

void GlobalList::setRow(std::size_t row, const std::vector<std::string>& cells) {
    stopReader();
    if (row >= m_rows.size()) return;
    std::string text;
    buildRow(text, cells);
    m_rows.set(row, text);
    if (row > 0) cellsChanged(-1);
    if (m_listener) {
        for (int c = 0; c < kListColumns; ++c) m_listener->cellChanged(row, c);
    }
}

void GlobalList::beginInsert(std::size_t first, std::size_t count) {
    if (m_listener) m_listener->aboutToInsertRows(first, count);
}

void GlobalList::notifyInserted(std::size_t first, std::size_t count) {
    rowsChanged();
    if (m_listener) m_listener->rowsInserted(first, count);
}

void GlobalList::notifyReset() {
    rowsChanged();
    if (m_listener) m_listener->tableReset();
}

std::size_t GlobalList::appendRow(const std::vector<std::string>& cells) {
    stopReader();
    std::string text;
    buildRow(text, cells);
    return appendBuiltRow(text);
}

std::size_t GlobalList::appendRow(std::initializer_list<std::string_view> cells) {
    stopReader();
    // The text keeps its capacity: appending many rows allocates nothing per row.
    buildRow(m_appendText, cells);
    return appendBuiltRow(m_appendText);
}

std::size_t GlobalList::appendBuiltRow(const std::string& text) {
    stopReader();
    const std::size_t row = m_rows.size();
    beginInsert(row, 1);
    m_rows.push(text);
    notifyInserted(row, 1);
    return row;
}

void GlobalList::appendRows(const std::vector<std::vector<std::string>>& rows) {
    stopReader();
    if (rows.empty()) return;
    const std::size_t first = m_rows.size();
    beginInsert(first, rows.size());
    std::string text;
    m_rows.reserveRows(first + rows.size());
    for (const auto& cells : rows) {
        buildRow(text, cells);
        m_rows.push(text);
    }
    notifyInserted(first, rows.size());
}

std::size_t GlobalList::appendBlankRow() {
    stopReader();
    const std::size_t row = m_rows.size();
    beginInsert(row, 1);
    m_rows.push(blankRowText());
    notifyInserted(row, 1);
    return row;
}

void GlobalList::appendRowsFrom(GlobalList&& other, std::size_t firstRow) {
    stopReader();
    other.stopReader();
    if (&other == this || firstRow >= other.rowCount()) return;
    const std::size_t first = m_rows.size();
    const std::size_t count = other.rowCount() - firstRow;
    beginInsert(first, count);
    m_rows.appendFrom(std::move(other.m_rows), firstRow);
    notifyInserted(first, count);
}

void GlobalList::keepRows(const std::vector<bool>& keep) {
    stopReader();
    // The header row always stays; a mask of another length keeps the rows it does not name.
    removeRows(clearedPositions(keep, 1, m_rows.size()));
}

void GlobalList::removeRows(const std::vector<std::size_t>& sortedRows) {
    stopReader();
    const std::size_t rows = m_rows.size();
    // Callers name data rows in order; any other list is put in order once, the header and rows
    // past the end left out.
    bool clean = true;
    for (std::size_t i = 0; i < sortedRows.size() && clean; ++i)
        clean = sortedRows[i] > 0 && sortedRows[i] < rows && (i == 0 || sortedRows[i - 1] < sortedRows[i]);
    std::vector<std::size_t> cleaned;
    if (!clean) {
        for (std::size_t r : sortedRows)
            if (r > 0 && r < rows) cleaned.push_back(r);
        std::sort(cleaned.begin(), cleaned.end());
        cleaned.erase(std::unique(cleaned.begin(), cleaned.end()), cleaned.end());
    }
    const std::vector<std::size_t>& removed = clean ? sortedRows : cleaned;
    if (removed.empty()) return;
    const std::size_t firstRemoved = removed.front();
    const bool contiguous = removed.back() - firstRemoved + 1 == removed.size();
    if (m_listener) {
        if (contiguous) {
            m_listener->aboutToRemoveRows(firstRemoved, removed.size());
        } else {
            m_listener->aboutToReset();
        }
    }
    m_rows.remove(removed);
    rowsChanged();
    if (m_listener) {
        if (contiguous) {
            m_listener->rowsRemoved(firstRemoved, removed.size());
        } else {
            m_listener->tableReset();
        }
    }
    if (m_selectedRow >= m_rows.size()) m_selectedRow = m_rows.size() > 1 ? m_rows.size() - 1 : 0;
}

void GlobalList::reorderDataRows(const std::vector<std::size_t>& order, bool rewrite) {
    stopReader();
    // The header row stays in front of the order; a copy of the order with it (8 bytes a row) is
    // made only to leave out the rows the table does not have.
    const std::size_t rows = m_rows.size();
    const bool inRange =
        std::all_of(order.begin(), order.end(), [rows](std::size_t r) { return r > 0 && r < rows; });
    std::vector<std::size_t> named;
    if (!inRange) {
        for (std::size_t r : order) {
            if (r > 0 && r < rows) named.push_back(r);
        }
    }
    const std::vector<std::size_t>& dataOrder = inRange ? order : named;
    if (m_listener) m_listener->aboutToReset();
    if (rewrite) {
        m_rows.reorder(dataOrder, 1);
    } else {
        m_rows.permute(dataOrder, 1);
    }
    notifyReset();
}

void GlobalList::setColumn(int col, std::string_view text, std::size_t from, std::size_t to) {
    stopReader();
    const std::size_t rows = m_rows.size();
    if (col < 0 || col >= kListColumns || rows < 2) return;
    from = std::max<std::size_t>(from, 1);
    to = std::min(to, rows - 1);
    std::string clean;
    appendCellText(clean, text);
    if (from > to) return;
    std::size_t first = rows, last = 0;
    for (std::size_t r = from; r <= to; ++r) {
        const std::string_view current = m_rows.row(r);
        const auto [start, end] = cellBounds(current, col);
        if (current.substr(start, end - start) == clean) continue;
        // A mark fits in the row's spare bytes: most rows change where they lie.
        m_rows.splice(r, start, end, clean);
        first = std::min(first, r);
        last = r;
    }
    if (first < rows) cellsChanged(col);
    if (first < rows && m_listener) m_listener->columnChanged(col, first, last);
}

void GlobalList::setColumnOfRows(int col, std::string_view text, const std::vector<std::size_t>& rows) {
    stopReader();
    if (col < 0 || col >= kListColumns) return;
    std::string clean;
    appendCellText(clean, text);
    std::size_t first = m_rows.size(), last = 0;
    for (const std::size_t r : rows) {
        if (r == 0 || r >= m_rows.size()) continue;
        const std::string_view current = m_rows.row(r);
        const auto [start, end] = cellBounds(current, col);
        if (current.substr(start, end - start) == clean) continue;
        m_rows.splice(r, start, end, clean);
        first = std::min(first, r);
        last = std::max(last, r);
    }
    if (first < m_rows.size()) cellsChanged(col);
    if (first < m_rows.size() && m_listener) m_listener->columnChanged(col, first, last);
}

std::size_t GlobalList::countCells(int col, std::string_view text) const {
    const std::size_t rows = m_rows.size();
    if (col < 0 || col >= kListColumns || rows < 2) return 0;
    std::size_t n = 0;
    for (std::size_t r = 1; r < rows; ++r) {
        const std::string_view current = m_rows.row(r);
        const auto [start, end] = cellBounds(current, col);
        if (current.substr(start, end - start) == text) ++n;
    }
    return n;
}

void GlobalList::assignRowsFrom(const GlobalList& source, const std::vector<std::size_t>& rows) {
    stopReader();
    if (&source == this) return;
    RowStore fresh(RowStore::kMarkSpare);
    fresh.reserveRows(rows.size() + 1);
    if (source.m_rows.empty()) {
        fresh.push(standardHeaderRow());
    } else {
        fresh.push(source.m_rows.row(0));
    }
    for (std::size_t r : rows) {
        if (r > 0 && r < source.m_rows.size()) fresh.push(source.m_rows.row(r));
    }
    if (m_listener) m_listener->aboutToReset();
    m_rows = std::move(fresh);
    m_selectedRow = m_rows.size() > 1 ? 1 : 0;
    notifyReset();
}

void GlobalList::replaceAll(GlobalList&& other) {
    stopReader();
    other.stopReader();
    if (&other == this) return;
    if (m_listener) m_listener->aboutToReset();
    m_rows = std::move(other.m_rows);
    if (m_selectedRow >= m_rows.size()) m_selectedRow = m_rows.size() > 1 ? 1 : 0;
    notifyReset();
}

void GlobalList::resetToEmptyList() {
    stopReader();
    if (m_listener) m_listener->aboutToReset();
    m_rows.clear();
    m_rows.push(standardHeaderRow());
    m_rows.push(blankRowText());
    m_selectedRow = 1;
    notifyReset();
}

void GlobalList::init_entetes() {
    stopReader();
    if (m_rows.empty()) {
        beginInsert(0, 1);
        m_rows.push(standardHeaderRow());
        notifyInserted(0, 1);
        return;
    }
    const std::vector<std::string> before = rowCells(0);
    m_rows.set(0, standardHeaderRow());
    if (m_listener) {
        for (int c = 0; c < kListColumns; ++c) {
            if (before[static_cast<std::size_t>(c)] != kStandardHeaders[static_cast<std::size_t>(c)])
                m_listener->cellChanged(0, c);
        }
    }
}

std::string oter_marques_tri(std::string_view header) {
    std::string text(header);
    for (std::string_view marker : {std::string_view(" <<"), std::string_view(" >>")}) {
        std::size_t at = text.find(marker);
        if (at != std::string::npos) text.erase(at, marker.size());
    }
    return text;
}

int GlobalList::indice_col_liste(std::string_view name) const {
    if (m_rows.empty()) return -1;
    return columnOfHeader(m_rows.row(0), name);
}

int GlobalList::columnOfHeader(std::string_view headerRow, std::string_view name) {
    if (trimControl(name).empty()) return -1;
    const std::string wanted = oter_marques_tri(name);
    for (int c = 0; c < kListColumns; ++c) {
        if (oter_marques_tri(cellOfRow(headerRow, c)) == wanted) return c;
    }
    return -1;
}

bool GlobalList::isBlankRow(std::size_t row) const {
    return trimControl(cell(row, 0)).empty();
}

std::size_t GlobalList::mediaCount() const {
    const std::size_t rows = m_rows.size();
    if (rows <= 1) return 0;
    if (rows == 2 && isBlankRow(1)) return 0;
    return rows - 1;
}

void GlobalList::selectRow(std::size_t row) {
    m_selectedRow = row;
    if (m_listener) m_listener->rowSelected(row);
}

} // namespace verdan
