#include "browse/search_result.h"

#include <algorithm>

#include "browse/text_order.h"
#include "util/mask.h"

namespace verdan {
namespace {

constexpr std::string_view kMarked = " x";

} // namespace

void SearchResult::assign(const GlobalList& list, const std::vector<std::size_t>& listRows) {
    std::vector<std::uint32_t> rows;
    rows.reserve(listRows.size());
    for (std::size_t r : listRows)
        if (r >= 1 && r < list.rowCount()) rows.push_back(static_cast<std::uint32_t>(r));
    assign(list, std::move(rows));
}

void SearchResult::assign(const GlobalList& list, std::vector<std::uint32_t>&& listRows) {
    if (m_listener) m_listener->aboutToReset();
    m_list = &list;
    m_header.setRow(0, list.rowCells(0));
    m_markCol = m_header.indice_col_liste(kMarked);
    // The former result's rows go before the new ones settle in.
    std::vector<std::uint32_t>().swap(m_rows);
    std::vector<Mark>().swap(m_marks);
    m_rows = std::move(listRows);
    m_marks.assign(m_rows.size(), AsList);
    m_selectedRow = m_rows.empty() ? 0 : 1;
    if (m_listener) m_listener->tableReset();
}

void SearchResult::clear() {
    if (m_listener) m_listener->aboutToReset();
    std::vector<std::uint32_t>().swap(m_rows);
    std::vector<Mark>().swap(m_marks);
    m_list = nullptr;
    m_selectedRow = 0;
    if (m_listener) m_listener->tableReset();
}

std::string_view SearchResult::cell(std::size_t row, int col) const {
    if (row == 0) return m_header.cell(0, col);
    if (row > m_rows.size() || !m_list) return {};
    if (col == m_markCol && m_marks[row - 1] != AsList) return m_marks[row - 1] == Marked ? kMarked : "";
    return m_list->cell(m_rows[row - 1], col);
}

std::size_t SearchResult::listRow(std::size_t row) const {
    return row >= 1 && row <= m_rows.size() ? m_rows[row - 1] : 0;
}

void SearchResult::setCell(std::size_t row, int col, std::string_view text) {
    if (row == 0) {
        m_header.setCell(0, col, text);
    } else if (row <= m_rows.size() && col == m_markCol) {
        m_marks[row - 1] = text == kMarked ? Marked : Unmarked;
    } else {
        return;
    }
    if (m_listener) m_listener->cellChanged(row, col);
}

void SearchResult::setColumn(int col, std::string_view text, std::size_t first, std::size_t last) {
    if (col != m_markCol || m_rows.empty()) return;
    first = std::max<std::size_t>(first, 1);
    last = std::min(last, m_rows.size());
    if (first > last) return;
    std::fill(m_marks.begin() + static_cast<std::ptrdiff_t>(first - 1),
              m_marks.begin() + static_cast<std::ptrdiff_t>(last), text == kMarked ? Marked : Unmarked);
    if (m_listener) m_listener->columnChanged(col, first, last);
}

std::size_t SearchResult::countCells(int col, std::string_view text) const {
    std::size_t n = 0;
    for (std::size_t r = 1; r <= m_rows.size(); ++r) n += cell(r, col) == text ? 1 : 0;
    return n;
}

void SearchResult::selectRow(std::size_t row) {
    m_selectedRow = row;
    if (m_listener) m_listener->rowSelected(row);
}

void SearchResult::followRemovedListRows(const std::vector<std::size_t>& removed) {
    // A result row's list row moves up by the rows removed before it: looked up among the rows
    // removed, so that one deletion costs the result's rows, not the list's.
    auto isRemoved = [&](std::uint32_t r) { return std::binary_search(removed.begin(), removed.end(), r); };
    std::size_t firstGone = m_rows.size(), lastGone = 0, gone = 0;
    for (std::size_t i = 0; i < m_rows.size(); ++i) {
        if (!isRemoved(m_rows[i])) continue;
        firstGone = std::min(firstGone, i);
        lastGone = i;
        ++gone;
    }
    const bool contiguous = gone > 0 && lastGone - firstGone + 1 == gone;
    if (m_listener && gone > 0) {
        if (contiguous) {
            m_listener->aboutToRemoveRows(firstGone + 1, gone);
        } else {
            m_listener->aboutToReset();
        }
    }
    std::size_t kept = 0;
    for (std::size_t i = 0; i < m_rows.size(); ++i) {
        const std::uint32_t r = m_rows[i];
        const std::size_t before = countBefore(removed, r);
        if (before < removed.size() && removed[before] == r) continue;
        m_rows[kept] = static_cast<std::uint32_t>(r - before);
        m_marks[kept] = m_marks[i];
        ++kept;
    }
    m_rows.resize(kept);
    m_marks.resize(kept);
    if (m_selectedRow > kept) m_selectedRow = kept;
    if (m_listener && gone > 0) {
        if (contiguous) {
            m_listener->rowsRemoved(firstGone + 1, gone);
        } else {
            m_listener->tableReset();
        }
    }
}

std::vector<std::size_t> SearchResult::sort(int col, bool ascending, platform::SortKeyMaker& keys) {
    // The cells are read where they are: neither the rows nor the column are copied.
    TextOrder sorted = sortTexts(
        m_rows.size(), [this, col](std::size_t i) { return cell(i + 1, col); }, ascending, keys);
    reorder(sorted.order);
    return std::move(sorted.order);
}

void SearchResult::reorder(const std::vector<std::size_t>& order) {
    if (order.size() != m_rows.size()) return;
    if (m_listener) m_listener->aboutToReset();
    std::vector<std::uint32_t> rows(order.size());
    std::vector<Mark> marks(order.size());
    for (std::size_t i = 0; i < order.size(); ++i) {
        rows[i] = m_rows[order[i] - 1];
        marks[i] = m_marks[order[i] - 1];
    }
    m_rows = std::move(rows);
    m_marks = std::move(marks);
    if (m_listener) m_listener->tableReset();
}

} // namespace verdan
