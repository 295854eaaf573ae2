#include "browse/sort.h"
#include "util/ui.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <exception>
#include <memory>
#include <thread>
#include <vector>

namespace verdan {
namespace {

// One row to sort: the first bytes of its key, packed so that one integer comparison settles
// most pairs, then where the whole key lies.
struct SortItem {
    std::uint64_t prefix;
    std::uint32_t row;
    std::uint32_t length;
    std::size_t offset;
};

std::uint64_t packPrefix(const char* key, std::size_t length) {
    std::uint64_t v = 0;
    for (std::size_t i = 0; i < 8; ++i) {
        v = (v << 8) | (i < length ? static_cast<unsigned char>(key[i]) : 0u);
    }
    return v;
}

// Key order, then row order, which makes the sort stable.
int compareKeys(const char* arena, const SortItem& a, const SortItem& b) {
    if (a.prefix != b.prefix) return a.prefix < b.prefix ? -1 : 1;
    const std::size_t common = std::min(a.length, b.length);
    if (common > 8) {
        const int c = std::memcmp(arena + a.offset + 8, arena + b.offset + 8, common - 8);
        if (c != 0) return c;
    }
    if (a.length != b.length) return a.length < b.length ? -1 : 1;
    return 0;
}

// Keys of rows [first, last) of the column into `arena`; the items record where each lies.
void makeKeys(const GlobalList& table, int column, std::size_t first, std::size_t last,
              platform::SortKeyMaker& keys, std::string& arena, std::vector<SortItem>& items) {
    arena.reserve((last - first) * 48);
    for (std::size_t r = first; r < last; ++r) {
        const std::size_t at = arena.size();
        keys.appendKey(table.cell(r, column), arena);
        items[r - 1] = {0, static_cast<std::uint32_t>(r), static_cast<std::uint32_t>(arena.size() - at), at};
    }
    for (std::size_t r = first; r < last; ++r) {
        SortItem& item = items[r - 1];
        item.prefix = packPrefix(arena.data() + item.offset, item.length);
    }
}

} // namespace

std::vector<std::size_t> trier_grille(GlobalList& table, int column, bool ascending,
                                      platform::SortKeyMaker& keys) {
    const std::size_t rows = table.rowCount();
    if (rows < 3 || column < 0 || column >= kListColumns) {
        std::vector<std::size_t> same;
        for (std::size_t r = 1; r < rows; ++r) same.push_back(r);
        return same;
    }
    std::vector<SortItem> items(rows - 1);
    // Computing the keys is most of the work: two halves on two threads when there are many.
    std::string arena, secondArena;
    const std::size_t half = rows > 20000 && std::thread::hardware_concurrency() > 1 ? rows / 2 : rows;
    if (half < rows) {
        std::unique_ptr<platform::SortKeyMaker> second = keys.clone();
        std::exception_ptr failure;
        std::thread worker([&] {
            try {
                makeKeys(table, column, half, rows, *second, secondArena, items);
            } catch (...) {
                failure = std::current_exception();
            }
        });
        try {
            makeKeys(table, column, 1, half, keys, arena, items);
        } catch (...) {
            worker.join();
            throw;
        }
        worker.join();
        if (failure) std::rethrow_exception(failure);
        const std::size_t shift = arena.size();
        arena += secondArena;
        for (std::size_t r = half; r < rows; ++r) items[r - 1].offset += shift;
    } else {
        makeKeys(table, column, 1, rows, keys, arena, items);
    }
    const char* base = arena.data();
    if (ascending) {
        std::sort(items.begin(), items.end(), [base](const SortItem& a, const SortItem& b) {
            const int c = compareKeys(base, a, b);
            return c != 0 ? c < 0 : a.row < b.row;
        });
    } else {
        std::sort(items.begin(), items.end(), [base](const SortItem& a, const SortItem& b) {
            const int c = compareKeys(base, a, b);
            return c != 0 ? c > 0 : a.row < b.row;
        });
    }
    std::vector<std::size_t> order;
    order.reserve(items.size());
    for (const SortItem& item : items) order.push_back(item.row);
    // The table rewrites its rows in the new order: the keys are not needed any more.
    std::vector<SortItem>().swap(items);
    std::string().swap(arena);
    table.reorderDataRows(order);
    return order;
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
        trier_grille(program.globalList.table, column, state.ascending, keys);
        browse.keyboard.restartAt(0);
    }
}

void sortOnHeader(ProgramState& program, BrowseState& browse, Ui& ui, Grid grid, int column) {
    platform::SortKeyMaker keys;
    sortOnHeader(program, browse, ui, grid, column, keys);
}

} // namespace verdan
