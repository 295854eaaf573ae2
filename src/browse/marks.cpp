#include "browse/marks.h"

#include <algorithm>

#include "util/format.h"

namespace verdan {
std::size_t countMarkedRows(GridTable table) {
    return table.countCells(table.indice_col_liste(kMark), kMark);
}

void CountMarks(ProgramState& program, BrowseState& browse) {
    browse.markCountCaption = toText(static_cast<long long>(countMarkedRows(visibleTable(program, browse))));
}

namespace {

// Label10 once every data row of both tables was given the same mark: the visible table's count
// is known without reading it again.
void countAllSame(ProgramState& program, BrowseState& browse, bool marked) {
    const GridTable table = visibleTable(program, browse);
    const std::size_t rows = table.rowCount();
    const std::size_t count = marked && table.indice_col_liste(kMark) >= 0 && rows >= 2 ? rows - 1 : 0;
    browse.markCountCaption = toText(static_cast<long long>(count));
}

} // namespace

void BitBtn_tout_cocherClick(ProgramState& program, BrowseState& browse) {
    SetAllMarks(program.globalList.table, kMark);
    browse.filter.setColumn(browse.filter.indice_col_liste(kMark), kMark);
    countAllSame(program, browse, true);
}

void BitBtn_tout_decocherClick(ProgramState& program, BrowseState& browse) {
    SetAllMarks(program.globalList.table, "");
    browse.filter.setColumn(browse.filter.indice_col_liste(kMark), "");
    countAllSame(program, browse, false);
}

void listMarksCleared(ProgramState& program, BrowseState& browse) {
    browse.filter.setColumn(browse.filter.indice_col_liste(kMark), "");
    countAllSame(program, browse, false);
}

void toggleMarks(GridTable table, const RowSet& rows) {
    const int col = table.indice_col_liste(kMark);
    if (col < 0 || table.rowCount() < 2) return;
    const std::size_t last = table.rowCount() - 1;
    RowSet valid;
    valid.reserve(rows.size());
    for (std::size_t r : rows)
        if (r >= 1 && r <= last) valid.push_back(r);
    std::sort(valid.begin(), valid.end());
    valid.erase(std::unique(valid.begin(), valid.end()), valid.end());
    if (valid.empty()) return;
    const bool allMarked =
        std::all_of(valid.begin(), valid.end(), [&](std::size_t r) { return table.cell(r, col) == kMark; });
    const std::string_view text = allMarked ? "" : kMark;
    // One notice per run of consecutive rows.
    for (std::size_t i = 0; i < valid.size();) {
        std::size_t j = i;
        while (j + 1 < valid.size() && valid[j + 1] == valid[j] + 1) ++j;
        table.setColumn(col, text, valid[i], valid[j]);
        i = j + 1;
    }
}

void BitBtn_coche_selectionClick(ProgramState& program, BrowseState& browse, const RowSet& selection) {
    toggleMarks(visibleTable(program, browse), selection);
    CountMarks(program, browse);
}

} // namespace verdan
