#pragma once
#include <array>
#include <cstddef>
#include <string>
#include <string_view>

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

// Whether the row holds the text in one of the searched columns (columns found in `table`).
bool ligne_contient(const GlobalList& table, std::string_view text, std::size_t row);

// `result` becomes the header row of `source` followed by copies of its matching rows, in order.
void filtrer_grille(const GlobalList& source, GlobalList& result, std::string_view text);

// "rechercher": a text that is blank does nothing (false); otherwise the search result, made
// with the text exactly as typed, is shown in place of the full table.
bool Button_rechercherClick(ProgramState& program, BrowseState& browse, const std::string& text);

// "X": empties the search text and shows the full table again.
void Button_init_filtreClick(BrowseState& browse);

// Enter in Edit1: the search for a text, the end of the search for a blank one.
void Edit1Enter(ProgramState& program, BrowseState& browse, const std::string& text);

} // namespace verdan
