// Benchmarks of the profile comparison on realistic peaky profiles at 5,000 and 65,536 rows, of
// loading the shipped critical value table (1,048,576 rows), as every start does, and of the
// nonmetric MDS map of 200 samples (its matrix written for the scikit-learn reference).
#include <benchmark/benchmark.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <string>
#include <vector>

#include "engine/ClassicalMds.h"
#include "engine/CriticalValueTable.h"
#include "engine/KsDistribution.h"
#include "engine/NonmetricMds.h"
#include "engine/ProfileComparison.h"
#include "engine/SummaryTable.h"
#include "tests/engine/PlanarMatrix.h"

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

// The matrix as .csv (k rows of k numbers), where scripts/bench.sh gives it to
// bench/python/nonmetric_mds.py.
void writeMatrix(const kestrel::SquareMatrix& d) {
    const auto dir = std::filesystem::temp_directory_path() / "kestrel-mds-bench";
    std::filesystem::create_directories(dir);
    std::ofstream out(dir / ("planar_" + std::to_string(d.size) + ".csv"));
    out << std::setprecision(17);
    for (int32_t i = 0; i < d.size; ++i) {
        for (int32_t j = 0; j < d.size; ++j) out << (j ? "," : "") << d.at(i, j);
        out << "\n";
    }
}

// The nonmetric map from the classical one (made once, outside the timing), as the Many profiles
// page and kestrel-batch --mds nonmetric make it. Aim: well under a second for 200 samples.
void BM_NonmetricMds(benchmark::State& state) {
    const kestrel::SquareMatrix d =
        kestrel::testsupport::planarMatrix(static_cast<int32_t>(state.range(0)), 11);
    writeMatrix(d);
    const kestrel::MdsMap classical = kestrel::classicalMds(d);
    kestrel::NonmetricMdsResult result;
    for (auto _ : state) {
        result = kestrel::nonmetricMds(d, classical);
        benchmark::DoNotOptimize(result.stress);
    }
    state.counters["iterations"] = result.iterations;
    state.counters["stress"] = result.stress;
}

}  // namespace

BENCHMARK(BM_NonmetricMds)->Arg(200)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadShippedTable)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CompareProfiles)->Arg(5000)->Arg(65536)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CompareProfilesWithLogLines)->Arg(5000)->Arg(65536)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
