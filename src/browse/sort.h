#pragma once
#include <cstddef>
#include <functional>
#include <string_view>
#include <vector>

#include "browse/browse_state.h"
#include "platform/collation.h"
#include "util/ui.h"

namespace verdan {

// Text i of what is sorted, counted from 0; called from two threads at once.
using SortTextOf = std::function<std::string_view(std::size_t)>;

struct TextOrder {
    std::vector<std::size_t> order;   // element i: the text, counted from 1, that comes i-th
    std::vector<bool> sameKeyAsAbove; // [i]: element i sorts equal to element i - 1
};

// The order of `count` texts as the locale of `keys` orders them, letter case ignored, in the
// direction asked; equal texts keep their order. What it holds meanwhile is freed before it returns.
TextOrder sortTexts(std::size_t count, const SortTextOf& textOf, bool ascending,
                    platform::SortKeyMaker& keys);

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
