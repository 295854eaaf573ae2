#pragma once
#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "browse/browse_state.h"

namespace verdan {

// The row test of the search, prepared once for a whole table: the text is looked for in the
// cells from the column headed "média" to the one headed "taille", lower-casing A to Z only.
class RowMatcher {
public:
    RowMatcher(const GlobalList& headers, std::string_view text);
    bool matches(const GlobalList& table, std::size_t row) const;

private:
    bool search(std::string_view haystack) const;
    int m_first = -1;
    int m_last = -1;
    std::string m_needle;
    std::array<std::size_t, 256> m_skip{};
};

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

// After the rows `removed` names (ascending) left the global list: they leave the
// result, which keeps its order and marks, and the others follow their rows.
void followRemovedRows(BrowseState& browse, const std::vector<std::size_t>& removed);

// The global-list rows behind rows of the visible table (the result's rows while it is shown),
// ascending and distinct; rows that are not data rows of that table are left out.
RowSet listRowsOf(const ProgramState& program, const BrowseState& browse, const RowSet& visibleRows);

} // namespace verdan
