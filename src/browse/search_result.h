#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/global_list.h"
#include "platform/collation.h"

namespace verdan {

// The rows a search found, as references into the global list: a result of a million rows costs
// a few bytes each, not a second copy of the list. It reads like a table of its own: row 0 is its
// own header row (its sort marker is not the list's), and its marks are its own, as they were
// when it held copies: each row shows the list row's mark until the result marks or unmarks it.
// Whoever changes the list's rows (removal, replacement) must make the result follow.
class SearchResult {
public:
    SearchResult() = default;
    SearchResult(const SearchResult&) = delete;
    SearchResult& operator=(const SearchResult&) = delete;

    void setListener(GlobalListListener* listener) { m_listener = listener; }

    // The header row of `list`, then the given rows of `list` (data rows only), in that order.
    void assign(const GlobalList& list, const std::vector<std::size_t>& listRows);
    // The same with rows known to be data rows of `list`, taken as they are.
    void assign(const GlobalList& list, std::vector<std::uint32_t>&& listRows);
    // No rows left; the list is not referred to any more.
    void clear();

    // Row 0 is the header row; 1 when the result is empty.
    std::size_t rowCount() const { return m_rows.size() + 1; }
    std::string_view cell(std::size_t row, int col) const;
    // The global-list row behind data row `row`; 0 for any other row.
    std::size_t listRow(std::size_t row) const;
    int indice_col_liste(std::string_view name) const { return m_header.indice_col_liste(name); }

    // The header row takes any text; a data row only its mark (" x" or nothing): the other cells
    // are the list's.
    void setCell(std::size_t row, int col, std::string_view text);
    void setColumn(int col, std::string_view text, std::size_t first = 1, std::size_t last = SIZE_MAX);
    std::size_t countCells(int col, std::string_view text) const;

    std::size_t selectedRow() const { return m_selectedRow; }
    void selectRow(std::size_t row);

    // The list's rows `removed` names (ascending) are gone: their result rows go, the others keep
    // their order and marks and follow their rows' new numbers.
    void followRemovedListRows(const std::vector<std::size_t>& removed);
    // Orders the data rows by column `col` as trier_grille orders a table (stable). Returns the
    // new order: element i is the former row that became row i + 1.
    std::vector<std::size_t> sort(int col, bool ascending, platform::SortKeyMaker& keys);

    std::size_t memoryUsage() const { return m_rows.capacity() * sizeof(std::uint32_t) + m_marks.capacity(); }

private:
    enum Mark : std::uint8_t { AsList, Unmarked, Marked };
    void reorder(const std::vector<std::size_t>& order);

    const GlobalList* m_list = nullptr;
    GlobalList m_header; // row 0 only
    std::vector<std::uint32_t> m_rows;
    std::vector<Mark> m_marks;
    int m_markCol = -1;
    std::size_t m_selectedRow = 0;
    GlobalListListener* m_listener = nullptr;
};

} // namespace verdan
