#include "browse/marks.h"

#include <algorithm>

#include "util/format.h"

namespace verdan {
std::size_t countMarkedRows(GridTable table) {
    return table.countCells(table.indice_col_liste(kMark), kMark);
}

namespace {

void rememberListMarks(const GlobalList& list, BrowseState& browse, std::size_t count) {
    browse.listMarks = {list.rowsStamp(), list.columnStamp(list.indice_col_liste(kMark)), count, true};
}

} // namespace

namespace {

// The marks of the list: those its load counted, while its rows and marks are as they were read.
std::size_t countListMarks(const GlobalListState& globalList) {
    const GlobalList& list = globalList.table;
    const GlobalListState::MarksRead& read = globalList.marksRead;
    const int column = list.indice_col_liste(kMark);
    if (read.known && column >= 0 && read.rowsStamp == list.rowsStamp() &&
        read.columnStamp == list.columnStamp(column))
        return read.count;
    return list.countCells(column, kMark);
}

} // namespace

void CountMarks(ProgramState& program, BrowseState& browse) {
    const GridTable table = visibleTable(program, browse);
    const std::size_t count =
        browse.filterShown ? countMarkedRows(table) : countListMarks(program.globalList);
    if (!browse.filterShown) rememberListMarks(program.globalList.table, browse, count);
    browse.markCountCaption = toText(static_cast<long long>(count));
}

std::optional<std::size_t> marksLeftAfterRemoval(const ProgramState& program, const BrowseState& browse,
                                                 const std::vector<std::size_t>& removed) {
    const GlobalList& list = program.globalList.table;
    const int column = list.indice_col_liste(kMark);
    const BrowseState::ListMarkCount& known = browse.listMarks;
    if (!known.known || column < 0 || (!removed.empty() && removed.back() >= list.rowCount()) ||
        known.rowsStamp != list.rowsStamp() || known.columnStamp != list.columnStamp(column))
        return std::nullopt;
    std::size_t taken = 0;
    for (const std::size_t r : removed)
        if (r >= 1 && list.cell(r, column) == kMark) ++taken;
    return taken <= known.count ? std::optional<std::size_t>(known.count - taken) : std::nullopt;
}

void countMarksAfterRemoval(ProgramState& program, BrowseState& browse, std::optional<std::size_t> left) {
    const GlobalList& list = program.globalList.table;
    // An emptied list keeps its blank row, unmarked; the search result counts its own rows.
    if (!left || browse.filterShown || list.mediaCount() == 0) {
        CountMarks(program, browse);
        return;
    }
    rememberListMarks(list, browse, *left);
    browse.markCountCaption = toText(static_cast<long long>(*left));
}

bool listMarksKnown(const ProgramState& program, const BrowseState& browse) {
    const GlobalList& list = program.globalList.table;
    const BrowseState::ListMarkCount& known = browse.listMarks;
    const int column = list.indice_col_liste(kMark);
    return known.known && column >= 0 && known.rowsStamp == list.rowsStamp() &&
           known.columnStamp == list.columnStamp(column);
}

void countMarksAfterAppend(ProgramState& program, BrowseState& browse, std::size_t first, std::size_t count) {
    const GlobalList& list = program.globalList.table;
    const int column = list.indice_col_liste(kMark);
    std::size_t marked = browse.listMarks.count;
    for (std::size_t r = first; r < first + count && r < list.rowCount(); ++r)
        if (list.cell(r, column) == kMark) ++marked;
    rememberListMarks(list, browse, marked);
    if (!browse.filterShown) browse.markCountCaption = toText(static_cast<long long>(marked));
}

namespace {

// Label10 once every data row of both tables was given the same mark: the visible table's count
// is known without reading it again.
void countAllSame(ProgramState& program, BrowseState& browse, bool marked) {
    auto sameCount = [marked](const auto& table) {
        const std::size_t rows = table.rowCount();
        return marked && table.indice_col_liste(kMark) >= 0 && rows >= 2 ? rows - 1 : std::size_t{0};
    };
    browse.markCountCaption = toText(static_cast<long long>(sameCount(visibleTable(program, browse))));
    // The list's own count is known as well: a deletion then subtracts from it.
    const GlobalList& list = program.globalList.table;
    if (list.indice_col_liste(kMark) >= 0) rememberListMarks(list, browse, sameCount(list));
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
