#pragma once
#include <cstddef>
#include <optional>
#include <vector>

#include "browse/browse_state.h"

namespace verdan {

// The mark of a row for the multiple copy: its " x" cell holds exactly " x".
inline constexpr const char* kMark = " x";

// Marked data rows of a table (0 without a column headed " x").
std::size_t countMarkedRows(GridTable table);

// Label10 = the marked rows of the visible table.
void CountMarks(ProgramState& program, BrowseState& browse);

// The list's marked rows once the data rows `removed` names (ascending) are removed, from the count
// kept while the list has not changed since; nothing when it has, and the rows must be read again.
std::optional<std::size_t> marksLeftAfterRemoval(const ProgramState& program, const BrowseState& browse,
                                                 const std::vector<std::size_t>& removed);
// Label10 after a deletion from the list: `left` (from marksLeftAfterRemoval) when known, else counted.
void countMarksAfterRemoval(ProgramState& program, BrowseState& browse, std::optional<std::size_t> left);

// Whether the list's mark count is the table's as it is now.
bool listMarksKnown(const ProgramState& program, const BrowseState& browse);
// After rows `first` to `first + count - 1` came at the end of a list whose count was known: the
// count takes the marks they bring, reading them only.
void countMarksAfterAppend(ProgramState& program, BrowseState& browse, std::size_t first, std::size_t count);

// "tout cocher" and "tout décocher": both tables, then the count.
void BitBtn_tout_cocherClick(ProgramState& program, BrowseState& browse);
void BitBtn_tout_decocherClick(ProgramState& program, BrowseState& browse);
// "tout décocher" once the list's marks are already cleared (each activation of the collection
// window clears them): the result's go and the count reads 0, without a second pass over the list.
void listMarksCleared(ProgramState& program, BrowseState& browse);

// The space bar's rule on the given rows (several ranges allowed): all marked become unmarked,
// otherwise all are marked. No row, no change.
void toggleMarks(GridTable table, const RowSet& rows);

// "(dé)cocher sélection": the space bar's rule on the rows highlighted in the visible table, then
// the count.
void BitBtn_coche_selectionClick(ProgramState& program, BrowseState& browse, const RowSet& selection);

} // namespace verdan
