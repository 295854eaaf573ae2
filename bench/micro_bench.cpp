// Per-operation costs of the table and the key set, to see which one a slow figure comes from.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "catalogue/global_list.h"
#include "catalogue/index_keys.h"

namespace {

verdan::GlobalList makeTable(std::size_t rows) {
    verdan::GlobalList table;
    table.resetToEmptyList();
    std::vector<std::vector<std::string>> batch;
    for (std::size_t i = 0; i < rows; ++i) {
        batch.push_back({std::to_string(i), "FILMS_1", "vidéo", "Le château de ma mère " + std::to_string(i),
                         ".avi", "2020-01-02 03:04", ":\\films\\2020", "700 Mo", "E", "USB", "1234ABCD",
                         "10 Go", "1 To", ""});
    }
    table.appendRows(batch);
    return table;
}

void CellAccess(benchmark::State& state) {
    verdan::GlobalList table = makeTable(10000);
    std::size_t row = 1;
    for (auto _ : state) {
        benchmark::DoNotOptimize(table.cell(row, 12));
        row = row % 10000 + 1;
    }
}
BENCHMARK(CellAccess);

void SetCell(benchmark::State& state) {
    verdan::GlobalList table = makeTable(10000);
    std::size_t row = 1;
    for (auto _ : state) {
        table.setCell(row, 13, row % 2 ? " x" : "");
        row = row % 10000 + 1;
    }
}
BENCHMARK(SetCell);

void KeyInsert(benchmark::State& state) {
    std::vector<std::string> keys;
    for (int i = 0; i < 100000; ++i)
        keys.push_back("Été indien " + std::to_string(i) + ".mkvFILMS_11234ABCD700 Mo");
    for (auto _ : state) {
        verdan::KeySet set;
        for (const auto& k : keys) set.insert(k);
        benchmark::DoNotOptimize(set.size());
    }
    state.SetItemsProcessed(state.iterations() * static_cast<long>(keys.size()));
}
BENCHMARK(KeyInsert);

} // namespace
