#pragma once
#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "catalogue/list_change.h"
#include "catalogue/program_state.h"

// The edits of the global list. Each keeps the list's key set and index labels true, and tells the
// list's observers what changed, so that whatever is worked out from the list follows whoever edits
// it: a deletion, the adding, a re-indexing, a catalogue switch or a disk refresh.
namespace verdan {

// Removes the data rows `removed` names (ascending, each once). Removing every data row leaves the
// empty list with its blank row. The key set loses the keys of the rows gone, so that a removal
// costs what it removes.
void removeListRows(GlobalListState& globalList, int level, const std::vector<std::size_t>& removed);
// The same for the data rows with keep[r] false (keep.size() == rows of the table).
void keepListRows(GlobalListState& globalList, int level, const std::vector<bool>& keep);

// The only data row becomes the blank row of the empty list, as its removal.
void blankOnlyListRow(GlobalListState& globalList, int level);

// Rows `first` on of `staged` come at the end of the table; the blank row of an empty list goes
// first when `replaceBlank`. Their keys are the caller's: the adding puts them in the set as it
// stages the rows, to skip the files already there.
void appendListRows(GlobalListState& globalList, GlobalList&& staged, std::size_t first, bool replaceBlank);

// Cells (column, text) of one data row.
struct RowCells {
    std::size_t row = 0;
    std::vector<std::pair<int, std::string>> cells;
};
// Sets the given cells of data rows, as one edit. The key set follows the keys the rows now have at
// `level`: a row's old key goes, its new one comes.
void replaceListCells(GlobalListState& globalList, int level, const std::vector<RowCells>& rows);

// The table was loaded or emptied in place: its observers start again from it.
void announceListReplaced(GlobalListState& globalList);

} // namespace verdan
