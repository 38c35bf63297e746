// The biggest table a show holds (65 535 rows × 512 channels, 33 MB) while the output thread
// holds a copy of it, as it does of every show the window publishes: a cell written, and a
// row put in at the middle. A copy must not make an edit copy the whole table.
#include "steptable.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace
{
constexpr int kRows = 65535;
constexpr int kChannels = 512;

stepTable fullTable()
{
    stepTable table;
    std::vector<uchar> levels(kChannels);
    table.widen(kChannels);
    table.reserve(kRows);
    for (int r = 0; r < kRows; ++r) {
        for (int c = 0; c < kChannels; ++c)
            levels[size_t(c)] = uchar(r + c);
        table.append(10, 5, levels.data(), kChannels);
    }
    return table;
}

void BM_CellEditWhileHeld(benchmark::State &state)
{
    stepTable table = fullTable();
    int row = 0;
    for (auto _ : state) {
        const stepTable held = table;
        row = (row + 7919) % kRows;
        table.setCell(row, 3 + row % kChannels, row & 0xff);
        benchmark::DoNotOptimize(held.level(row, 0));
    }
}
BENCHMARK(BM_CellEditWhileHeld)->Unit(benchmark::kMicrosecond);

void BM_RowInsertWhileHeld(benchmark::State &state)
{
    stepTable table = fullTable();
    std::vector<uchar> levels(kChannels, 9);
    for (auto _ : state) {
        const stepTable held = table;
        table.insert(kRows / 2, 1, 10, 5, levels.data(), kChannels);
        table.take(kRows / 2, 1);
        benchmark::DoNotOptimize(held.level(0, 0));
    }
}
BENCHMARK(BM_RowInsertWhileHeld)->Unit(benchmark::kMillisecond);
} // namespace

BENCHMARK_MAIN();
