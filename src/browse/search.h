#pragma once
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "browse/browse_state.h"

namespace verdan {

// The row test of the search, prepared once for a whole table: the text is looked for in the
// cells from the column headed "média" to the one headed "taille", lower-casing A to Z only.
// Safe to share between threads once made.
class RowMatcher {
public:
    RowMatcher(const GlobalList& headers, std::string_view text);
    bool matches(const GlobalList& table, std::size_t row) const;

private:
    // Leftmost place of the text in `haystack`, letter case aside; npos when none.
    std::size_t find(std::string_view haystack) const;
    bool matchesAt(const unsigned char* h) const;
    int m_first = -1;
    int m_last = -1;
    bool m_usable = false;
    std::string m_needle;
};

// The data rows of `table` that match, ascending: among every row, or among `within` (ascending
// rows of the table) only. The rows are shared out among the cores. Nothing when `cancel` was
// set before the end; `table` must not change meanwhile.
std::optional<std::vector<std::uint32_t>> findRows(const GlobalList& table, const RowMatcher& matcher,
                                                   const std::vector<std::uint32_t>* within = nullptr,
                                                   const std::atomic<bool>* cancel = nullptr);

// The stamps of the list's rows and searched columns as they are now (see resultIsWhole).
SearchStamps searchStampsOf(const GlobalList& list);
// The result shown holds every row of the list that matches its text, and no other: no row came
// or changed in the searched cells since it was made. A longer text then need only search it.
bool resultIsWhole(const ProgramState& program, const BrowseState& browse);
// Shows `rows` (ascending rows of the list, as findRows gives them) as the result of `text`.
void showSearchResult(ProgramState& program, BrowseState& browse, std::string text,
                      std::vector<std::uint32_t> rows);

// "rechercher": a text that is blank does nothing (false); otherwise the search result, made
// with the text exactly as typed, is shown in place of the full table.
bool Button_rechercherClick(ProgramState& program, BrowseState& browse, const std::string& text);

// "X": empties the search text and shows the full table again.
void Button_init_filtreClick(BrowseState& browse);

// Enter in Edit1: the search for a text, the end of the search for a blank one.
void Edit1Enter(ProgramState& program, BrowseState& browse, const std::string& text);

// The search result shown again for the same text, after the global list was replaced or emptied:
// a result must never show, or act on, rows the list no longer holds.
void refreshSearch(ProgramState& program, BrowseState& browse);

// After the global list was replaced or emptied (reload, Undo, "Vider la liste"): the result is
// searched again, the arrow keys go on from the list's current row and the marks are recounted.
void listReplaced(ProgramState& program, BrowseState& browse);

// After the rows `removed` names (ascending) left the global list: they leave the result, which
// keeps its order and marks, and the others follow their rows. `wasWhole`: resultIsWhole before
// the removal, which it then still is.
void followRemovedRows(ProgramState& program, BrowseState& browse, const std::vector<std::size_t>& removed,
                       bool wasWhole);

// The global-list rows behind rows of the visible table (the result's rows while it is shown),
// ascending and distinct; rows that are not data rows of that table are left out.
RowSet listRowsOf(const ProgramState& program, const BrowseState& browse, const RowSet& visibleRows);

} // namespace verdan
