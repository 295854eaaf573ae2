#include "browse/marks.h"

#include <algorithm>

#include "util/format.h"

namespace verdan {
std::size_t countMarkedRows(const GlobalList& table) {
    return table.countCells(table.indice_col_liste(kMark), kMark);
}

void CountMarks(ProgramState& program, BrowseState& browse) {
    browse.Label10 = toText(static_cast<long long>(countMarkedRows(visibleTable(program, browse))));
}

void BitBtn_tout_cocherClick(ProgramState& program, BrowseState& browse) {
    SetAllMarks(program.form2.list, kMark);
    SetAllMarks(browse.filter, kMark);
    CountMarks(program, browse);
}

void BitBtn_tout_decocherClick(ProgramState& program, BrowseState& browse) {
    SetAllMarks(program.form2.list, "");
    SetAllMarks(browse.filter, "");
    CountMarks(program, browse);
}

void toggleMarks(GlobalList& table, RowRange rows) {
    const int col = table.indice_col_liste(kMark);
    if (col < 0 || table.rowCount() < 2) return;
    const std::size_t last = table.rowCount() - 1;
    if (rows.top > rows.bottom) std::swap(rows.top, rows.bottom);
    rows.top = std::clamp<std::size_t>(rows.top, 1, last);
    rows.bottom = std::clamp<std::size_t>(rows.bottom, 1, last);
    bool allMarked = true;
    for (std::size_t r = rows.top; r <= rows.bottom && allMarked; ++r)
        allMarked = table.cell(r, col) == kMark;
    table.setColumn(col, allMarked ? "" : kMark, rows.top, rows.bottom);
}

void BitBtn_coche_selectionClick(ProgramState& program, BrowseState& browse, RowRange selection) {
    toggleMarks(visibleTable(program, browse), selection);
    CountMarks(program, browse);
}

} // namespace verdan
