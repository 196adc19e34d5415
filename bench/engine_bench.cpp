// Benchmarks of the profile comparison on realistic peaky profiles at 5,000 and 65,536 rows, and
// of loading the shipped critical value table (1,048,576 rows), as every start does.
#include <benchmark/benchmark.h>

#include <cmath>
#include <string>
#include <vector>

#include "engine/CriticalValueTable.h"
#include "engine/KsDistribution.h"
#include "engine/ProfileComparison.h"
#include "engine/SummaryTable.h"

namespace {

// Two profiles over ages 0, 2, 4, ...: Gaussian peaks of varying height every ~400 positions,
// the second profile's peaks shifted and scaled, over a low baseline below the baseline height.
kestrel::ProfileData peakyProfiles(int32_t n) {
    kestrel::ProfileData data;
    data.resize(n);
    for (int32_t k = 1; k <= n; ++k) {
        const double age = 2.0 * (k - 1);
        const double phase = std::fmod(k, 400.0) - 200.0;
        const double height = 30.0 + 20.0 * std::sin(k / 1700.0);
        data.AgeData[k] = age;
        data.Y1Data[k] = 0.5 + 0.4 * std::sin(k * 0.7) + height * std::exp(-phase * phase / 800.0);
        const double shifted = phase - 15.0;
        data.Y2Data[k] =
            0.6 + 0.3 * std::cos(k * 0.3) + 0.8 * height * std::exp(-shifted * shifted / 1100.0);
    }
    return data;
}

const kestrel::CriticalValueTable& shippedLevelTable() {
    static const kestrel::CriticalValueTable table = [] {
        std::vector<kestrel::CriticalValueRow> rows;
        for (int32_t n = 1; n <= 65536; ++n)
            rows.push_back({0.05, n, kestrel::ksCriticalValue(n, 0.05)});
        kestrel::CriticalValueTable t;
        t.setRows(std::move(rows));
        return t;
    }();
    return table;
}

void compareBenchmark(benchmark::State& state, bool withLog) {
    const auto n = static_cast<int32_t>(state.range(0));
    const kestrel::ProfileData input = peakyProfiles(n);
    kestrel::CriticalValueTable table = shippedLevelTable();
    std::vector<std::string> log;
    kestrel::ComparisonHooks hooks;
    hooks.criticalValue = [&table](int32_t m) { return table.lookup(m); };
    if (withLog) {
        hooks.windowEvaluated = [&log](const kestrel::ProfileWindow& w, double a, double b) {
            log.push_back(kestrel::windowLogLine(w.first, a, w.last, b, w.cutoff, "."));
        };
    }
    const kestrel::SubdivisionParameters params{10.0, 2.0, 100.0};
    kestrel::ProfileData data = input;
    size_t windows = 0;
    for (auto _ : state) {
        log.clear();
        windows = kestrel::compareProfiles(data, params, hooks).size();
        benchmark::DoNotOptimize(data.DifferenceW.data());
    }
    state.counters["windows"] = static_cast<double>(windows);
    state.SetItemsProcessed(state.iterations() * n);
}

void BM_CompareProfiles(benchmark::State& state) {
    compareBenchmark(state, false);
}
void BM_CompareProfilesWithLogLines(benchmark::State& state) {
    compareBenchmark(state, true);
}

void BM_LoadShippedTable(benchmark::State& state) {
    const std::string path = kestrel::criticalValueTablePath(KESTREL_BUILD_DATA_DIR);
    size_t rows = 0;
    for (auto _ : state) {
        kestrel::CriticalValueTable table;
        table.load(path);
        rows = table.rows().size();
    }
    state.counters["rows"] = static_cast<double>(rows);
}

}  // namespace

BENCHMARK(BM_LoadShippedTable)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CompareProfiles)->Arg(5000)->Arg(65536)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CompareProfilesWithLogLines)->Arg(5000)->Arg(65536)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
