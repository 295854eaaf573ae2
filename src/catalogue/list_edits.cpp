#include "catalogue/list_edits.h"

#include <algorithm>
#include <cstdint>
#include <string>

#include "catalogue/index_keys.h"
#include "catalogue/keys_in_making.h"
#include "util/mask.h"

namespace verdan {

void removeListRows(GlobalListState& globalList, int level, const std::vector<std::size_t>& removed) {
    GlobalList& list = globalList.table;
    const ListChange change{ListChange::Kind::RowsRemoved, &removed};
    editList(globalList.observers, change, [&] {
        const bool emptied = list.rowCount() > 0 && removed.size() >= list.rowCount() - 1;
        // Keys still in the making follow the rows removed where they stand, rather than be
        // waited for.
        if (!emptied && keysFollowRemoval(globalList, level, removed)) {
            list.removeRows(removed);
            resumeKeys(globalList);
            return;
        }
        const bool forgotten = forgetKeysOfRows(list, globalList.keys, level, removed);
        if (emptied) {
            list.resetToEmptyList();
        } else {
            list.removeRows(removed);
        }
        indexAfterRemoval(list, globalList.keys, level, forgotten, globalList.index);
    });
}

void keepListRows(GlobalListState& globalList, int level, const std::vector<bool>& keep) {
    removeListRows(globalList, level, clearedPositions(keep, 1, globalList.table.rowCount()));
}

void blankOnlyListRow(GlobalListState& globalList, int level) {
    GlobalList& list = globalList.table;
    const std::vector<std::size_t> removed{1};
    const ListChange change{ListChange::Kind::RowsRemoved, &removed};
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

void replaceListCells(GlobalListState& globalList, int level, const std::vector<RowCells>& rows) {
    GlobalList& list = globalList.table;
    KeySet& keys = globalList.keys;
    std::size_t first = SIZE_MAX, last = 0;
    for (const RowCells& r : rows) {
        if (r.row == 0 || r.row >= list.rowCount() || r.cells.empty()) continue;
        first = std::min(first, r.row);
        last = std::max(last, r.row);
    }
    if (first == SIZE_MAX) return;
    const int column =
        rows.size() == 1 && rows.front().cells.size() == 1 ? rows.front().cells.front().first : -1;
    const ListChange change{ListChange::Kind::CellsChanged, nullptr, first, last - first + 1, column};
    editList(globalList.observers, change, [&] {
        // A set that holds the key of every row at this level follows key by key; any other is
        // built again once.
        bool followed =
            keys.level() == std::clamp(level, 0, kIndexLevels - 1) && keys.rowCount() + 1 == list.rowCount();
        const KeyColumns columns = KeyColumns::of(list);
        std::string key;
        for (const RowCells& r : rows) {
            if (r.row == 0 || r.row >= list.rowCount()) continue;
            if (followed) {
                key.clear();
                appendKey(list, columns, r.row, level, key);
                followed = keys.remove(key);
            }
            for (const auto& [col, text] : r.cells) list.setCell(r.row, col, text);
            if (followed) {
                key.clear();
                appendKey(list, columns, r.row, level, key);
                keys.add(key);
            }
        }
        indexAfterRemoval(list, keys, level, followed, globalList.index);
    });
}

void announceListReplaced(GlobalListState& globalList) {
    editList(globalList.observers, {ListChange::Kind::Replaced}, [] {});
}

} // namespace verdan
