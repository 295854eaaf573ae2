#include "browse/sort.h"
#include "util/ui.h"

#include <utility>
#include <vector>

namespace verdan {
namespace {

std::vector<std::size_t> sameOrder(std::size_t rows) {
    std::vector<std::size_t> same;
    for (std::size_t r = 1; r < rows; ++r) same.push_back(r);
    return same;
}

// The table sorted in one direction, sorted in the other: runs of equal keys come in reverse
// order, and the rows inside each keep theirs, as a stable sort gives.
// `after` becomes what sameKeyAsAbove holds for the new order.
std::vector<std::size_t> reverseRuns(const SortRuns& runs, std::vector<bool>& after) {
    const std::vector<bool>& same = runs.sameKeyAsAbove;
    const std::size_t n = same.size();
    std::vector<std::size_t> order;
    order.reserve(n);
    after.assign(n, false);
    for (std::size_t end = n; end > 0;) {
        std::size_t start = end - 1;
        while (start > 0 && same[start]) --start;
        for (std::size_t i = start; i < end; ++i) {
            if (i > start) after[order.size()] = true;
            order.push_back(i + 1);
        }
        end = start;
    }
    return order;
}

} // namespace

std::vector<std::size_t> trier_grille(GlobalList& table, int column, bool ascending,
                                      platform::SortKeyMaker& keys, SortRuns* runs) {
    const std::size_t rows = table.rowCount();
    if (rows < 3 || column < 0 || column >= kListColumns) return sameOrder(rows);
    if (runs && runs->column == column && runs->rowsStamp == table.rowsStamp() &&
        runs->columnStamp == table.columnStamp(column) && runs->sameKeyAsAbove.size() == rows - 1) {
        if (runs->ascending == ascending) return sameOrder(rows);
        std::vector<bool> after;
        std::vector<std::size_t> order = reverseRuns(*runs, after);
        // Read backwards, the rows are as near each other as before: only their references move.
        table.reorderDataRows(order, false);
        runs->sameKeyAsAbove = std::move(after);
        runs->ascending = ascending;
        runs->rowsStamp = table.rowsStamp();
        return order;
    }

    TextOrder sorted = sortTexts(
        rows - 1, [&table, column](std::size_t i) { return table.cell(i + 1, column); }, ascending, keys);
    // The keys are gone by now: the table rewrites its rows in the new order.
    table.reorderDataRows(sorted.order);
    if (runs) {
        runs->column = column;
        runs->ascending = ascending;
        runs->rowsStamp = table.rowsStamp();
        runs->columnStamp = table.columnStamp(column);
        runs->sameKeyAsAbove = std::move(sorted.sameKeyAsAbove);
    }
    return std::move(sorted.order);
}

void sortOnHeader(ProgramState& program, BrowseState& browse, Ui& ui, Grid grid, int column,
                  platform::SortKeyMaker& keys) {
    if (column < 0 || column >= kListColumns) return;
    GridTable table = gridTable(program, browse, grid);
    BusyScope busy(ui);
    SortState& state = browse.etat_tri;
    if (state.column == column) {
        state.ascending = !state.ascending;
    } else {
        state.column = column;
        state.ascending = false;
    }
    program.globalList.table.init_entetes();
    table.setCell(0, column, oter_marques_tri(table.cell(0, column)) + (state.ascending ? " <<" : " >>"));
    if (grid == Grid::Filter) {
        browse.filter.sort(column, state.ascending, keys);
    } else {
        trier_grille(program.globalList.table, column, state.ascending, keys, &browse.sortRuns);
        browse.keyboard.restartAt(0);
    }
}

void sortOnHeader(ProgramState& program, BrowseState& browse, Ui& ui, Grid grid, int column) {
    platform::SortKeyMaker keys;
    sortOnHeader(program, browse, ui, grid, column, keys);
}

} // namespace verdan
