#pragma once
#include <cstddef>
#include <functional>
#include <string_view>
#include <vector>

#include "browse/browse_state.h"
#include "browse/text_order.h"
#include "platform/collation.h"
#include "util/ui.h"

namespace verdan {

// Orders the data rows by the texts of one column as the locale of `keys` orders them, letter
// case ignored; rows with equal texts keep their order. Every column sorts as text. Returns the
// new order: element i is the former row that became row i + 1. With `runs`, what a sort of the
// same column left there spares the keys: the table is sorted already, only its direction changes.
std::vector<std::size_t> trier_grille(GlobalList& table, int column, bool ascending,
                                      platform::SortKeyMaker& keys, SortRuns* runs = nullptr);

// Double click on the header of `grid`: the first click on a column sorts it descending (" >>"),
// each further click on the same column reverses it (" <<"). The full table's markers are
// cleared first; neither the key set nor ListModified change. The sorted table shows no selection:
// the arrow keys start again from its top.
void sortOnHeader(ProgramState& program, BrowseState& browse, Ui& ui, Grid grid, int column,
                  platform::SortKeyMaker& keys);
// The same with the user's locale.
void sortOnHeader(ProgramState& program, BrowseState& browse, Ui& ui, Grid grid, int column);

} // namespace verdan
