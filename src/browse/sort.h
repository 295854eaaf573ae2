#pragma once
#include "browse/browse_state.h"
#include "platform/collation.h"
#include "util/ui.h"

namespace verdan {

// Orders the data rows by the texts of one column as the locale of `keys` orders them, letter
// case ignored; rows with equal texts keep their order. Every column sorts as text.
void trier_grille(GlobalList& table, int column, bool ascending, platform::SortKeyMaker& keys);

// Double click on the header of `grid`: the first click on a column sorts it descending (" >>"),
// each further click on the same column reverses it (" <<"). The full table's markers are
// cleared first; neither the key set nor ListModified change.
void sortOnHeader(ProgramState& program, BrowseState& browse, Ui& ui, Grid grid, int column,
                  platform::SortKeyMaker& keys);
// The same with the user's locale.
void sortOnHeader(ProgramState& program, BrowseState& browse, Ui& ui, Grid grid, int column);

} // namespace verdan
