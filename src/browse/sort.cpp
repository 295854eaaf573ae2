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

// One row to sort: the first bytes of its key, packed so that integer comparisons settle most
// pairs (titles often share their first word), then the whole key.
struct SortItem {
    std::uint64_t prefix[2];
    std::uintptr_t key; // an offset into the thread's keys until they are all made, then an address
    std::uint32_t row;
    std::uint32_t length;
};

constexpr std::size_t kPrefixBytes = sizeof(SortItem::prefix);

std::uint64_t packWord(const char* key, std::size_t length) {
    std::uint64_t v = 0;
    for (std::size_t i = 0; i < 8; ++i) v = (v << 8) | (i < length ? static_cast<unsigned char>(key[i]) : 0u);
    return v;
}

int compareKeys(const SortItem& a, const SortItem& b) {
    if (a.prefix[0] != b.prefix[0]) return a.prefix[0] < b.prefix[0] ? -1 : 1;
    if (a.prefix[1] != b.prefix[1]) return a.prefix[1] < b.prefix[1] ? -1 : 1;
    const std::size_t common = std::min(a.length, b.length);
    if (common > kPrefixBytes) {
        const int c = std::memcmp(reinterpret_cast<const char*>(a.key) + kPrefixBytes,
                                  reinterpret_cast<const char*>(b.key) + kPrefixBytes, common - kPrefixBytes);
        if (c != 0) return c;
    }
    if (a.length != b.length) return a.length < b.length ? -1 : 1;
    return 0;
}

// Key order in the direction asked, then row order, which makes the sort stable.
struct ItemOrder {
    bool ascending;
    bool operator()(const SortItem& a, const SortItem& b) const {
        const int c = compareKeys(a, b);
        if (c != 0) return ascending ? c < 0 : c > 0;
        return a.row < b.row;
    }
};

// Keys of rows [first, last) of the column into `arena`, then those items sorted.
void makeAndSort(const GlobalList& table, int column, std::size_t first, std::size_t last,
                 platform::SortKeyMaker& keys, std::string& arena, SortItem* items, bool ascending) {
    arena.reserve((last - first) * 48);
    for (std::size_t r = first; r < last; ++r) {
        const std::size_t at = arena.size();
        keys.appendKey(table.cell(r, column), arena);
        SortItem& item = items[r - first];
        item.key = at;
        item.row = static_cast<std::uint32_t>(r);
        item.length = static_cast<std::uint32_t>(arena.size() - at);
    }
    const auto base = reinterpret_cast<std::uintptr_t>(arena.data());
    for (std::size_t i = 0; i < last - first; ++i) {
        SortItem& item = items[i];
        item.key += base;
        const char* key = reinterpret_cast<const char*>(item.key);
        item.prefix[0] = packWord(key, item.length);
        item.prefix[1] = item.length > 8 ? packWord(key + 8, item.length - 8) : 0;
    }
    std::sort(items, items + (last - first), ItemOrder{ascending});
}

// Runs `work(first, last)` over [0, n), half of it on a second thread when n is large.
template <class Work> void onBothCores(std::size_t n, std::size_t threshold, Work work) {
    if (n < threshold || std::thread::hardware_concurrency() < 2) {
        work(std::size_t{0}, n);
        return;
    }
    const std::size_t half = n / 2;
    std::exception_ptr failure;
    std::thread helper([&] {
        try {
            work(half, n);
        } catch (...) {
            failure = std::current_exception();
        }
    });
    try {
        work(std::size_t{0}, half);
    } catch (...) {
        helper.join();
        throw;
    }
    helper.join();
    if (failure) std::rethrow_exception(failure);
}

constexpr std::size_t kThreadedRows = 20000;

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

    // Computing the keys is most of the work: each half of the rows has its keys made and sorted
    // on a core of its own, then the halves are merged.
    const std::size_t n = rows - 1;
    std::vector<SortItem> items(n);
    std::string arenas[2];
    const std::size_t half = n >= kThreadedRows && std::thread::hardware_concurrency() > 1 ? n / 2 : n;
    onBothCores(n, kThreadedRows, [&](std::size_t first, std::size_t last) {
        std::unique_ptr<platform::SortKeyMaker> own;
        if (first > 0) own = keys.clone();
        makeAndSort(table, column, first + 1, last + 1, first > 0 ? *own : keys, arenas[first > 0 ? 1 : 0],
                    items.data() + first, ascending);
    });
    const ItemOrder less{ascending};
    if (half < n) {
        // The halves are merged from both ends at once: the order is total (rows settle ties),
        // so the first `half` items from the front and the rest from the back meet exactly.
        std::vector<SortItem> merged(n);
        onBothCores(n, kThreadedRows, [&](std::size_t first, std::size_t last) {
            if (first == 0) {
                std::size_t a = 0, b = half;
                for (std::size_t k = 0; k < last; ++k)
                    merged[k] = (b < n && (a >= half || less(items[b], items[a]))) ? items[b++] : items[a++];
            } else {
                std::size_t a = half, b = n; // one past the next candidate of each half
                for (std::size_t k = n; k > first; --k)
                    merged[k - 1] =
                        (a > 0 && (b <= half || less(items[b - 1], items[a - 1]))) ? items[--a] : items[--b];
            }
        });
        items.swap(merged);
    }
    std::vector<std::size_t> order(n);
    std::vector<bool> same(n, false);
    for (std::size_t i = 0; i < n; ++i) {
        order[i] = items[i].row;
        if (i > 0 && compareKeys(items[i - 1], items[i]) == 0) same[i] = true;
    }
    // The table rewrites its rows in the new order: the keys are not needed any more.
    std::vector<SortItem>().swap(items);
    for (std::string& arena : arenas) std::string().swap(arena);
    table.reorderDataRows(order);
    if (runs) {
        runs->column = column;
        runs->ascending = ascending;
        runs->rowsStamp = table.rowsStamp();
        runs->columnStamp = table.columnStamp(column);
        runs->sameKeyAsAbove = std::move(same);
    }
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
        trier_grille(program.globalList.table, column, state.ascending, keys, &browse.sortRuns);
        browse.keyboard.restartAt(0);
    }
}

void sortOnHeader(ProgramState& program, BrowseState& browse, Ui& ui, Grid grid, int column) {
    platform::SortKeyMaker keys;
    sortOnHeader(program, browse, ui, grid, column, keys);
}

} // namespace verdan
