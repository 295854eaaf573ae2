#include "catalogue/list_edits.h"

#include <algorithm>

#include "catalogue/index_keys.h"

namespace verdan {

void removeListRows(GlobalListState& globalList, int level, const std::vector<bool>& keep) {
    GlobalList& list = globalList.table;
    const ListChange change{ListChange::Kind::RowsRemoved, &keep};
    editList(globalList.observers, change, [&] {
        const bool forgotten = forgetKeysOfRows(list, globalList.keys, level, keep);
        const auto kept = std::count(keep.begin() + 1, keep.end(), true);
        if (kept == 0) {
            list.resetToEmptyList();
        } else {
            list.keepRows(keep);
        }
        indexAfterRemoval(list, globalList.keys, level, forgotten, globalList.index);
    });
}

void blankOnlyListRow(GlobalListState& globalList, int level) {
    GlobalList& list = globalList.table;
    const std::vector<bool> keep{true, false};
    const ListChange change{ListChange::Kind::RowsRemoved, &keep};
    editList(globalList.observers, change, [&] {
        list.setRow(1, {});
        indexAfterRemoval(list, globalList.keys, level, false, globalList.index);
    });
}

void appendListRows(GlobalListState& globalList, GlobalList&& staged, std::size_t first, bool replaceBlank) {
    GlobalList& list = globalList.table;
    if (first >= staged.rowCount()) return;
    // The blank row of an empty list is no media row: the new rows take its place, from row 1.
    const std::size_t firstNew = replaceBlank ? 1 : list.rowCount();
    const ListChange change{ListChange::Kind::RowsAppended, nullptr, firstNew, staged.rowCount() - first};
    editList(globalList.observers, change, [&] {
        if (replaceBlank) list.removeRows({1});
        list.appendRowsFrom(std::move(staged), first);
    });
}

void replaceListCells(GlobalListState& globalList, std::size_t row,
                      const std::vector<std::pair<int, std::string>>& cells) {
    if (row == 0 || row >= globalList.table.rowCount() || cells.empty()) return;
    const int column = cells.size() == 1 ? cells.front().first : -1;
    const ListChange change{ListChange::Kind::CellsChanged, nullptr, row, 1, column};
    editList(globalList.observers, change, [&] {
        for (const auto& [col, text] : cells) globalList.table.setCell(row, col, text);
    });
}

void announceListReplaced(GlobalListState& globalList) {
    editList(globalList.observers, {ListChange::Kind::Replaced}, [] {});
}

} // namespace verdan
