// Benchmarks of depositional ages and age components on 200 detrital samples of 1,000 grains:
// every estimator of the table for every sample (the aim: under 1 s), the maximum likelihood age
// alone (under 0.5 s), both with the samples spread over the cores, and the age components of
// one sample with their number chosen by BIC (under 0.5 s). The samples are written for the
// numpy and scipy reference (bench/python/depositional_ages.py), which scripts/bench.sh times
// beside these.
#include <benchmark/benchmark.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <random>
#include <string>
#include <vector>

#include "engine/ParallelIndices.h"
#include "engine/depositional/DepositionalAges.h"
#include "engine/depositional/DepositionalEstimators.h"
#include "engine/depositional/MixtureComponents.h"

namespace {

// Samples shaped like detrital spectra: each of two to five populations between 150 and
// 3,000 Ma with a spread of 3 % of its age, 1-sigma uncertainties of 2 % of the age plus 1 Ma.
std::vector<kestrel::GrainSample> detritalSamples(int count, int grains) {
    std::mt19937_64 random(20210101);
    std::uniform_real_distribution<double> uniform(0.0, 1.0);
    std::normal_distribution<double> unit(0.0, 1.0);
    std::vector<kestrel::GrainSample> samples;
    for (int s = 0; s < count; ++s) {
        std::vector<double> means(2 + static_cast<size_t>(uniform(random) * 4.0));
        for (double& mean : means) mean = 150.0 + 2850.0 * uniform(random);
        kestrel::GrainSample sample{"S" + std::to_string(s + 1), {}, {}};
        for (int i = 0; i < grains; ++i) {
            const double mean = means[static_cast<size_t>(uniform(random) * means.size())];
            const double age = std::fabs(mean + 0.03 * mean * unit(random)) + 5.0;
            sample.ages.push_back(age);
            sample.sigmas.push_back(0.02 * age + 1.0);
        }
        samples.push_back(std::move(sample));
    }
    return samples;
}

// The samples as .csv, each its ages and their 1-sigma side by side ("S1", "S1 err"), where
// scripts/bench.sh gives them to bench/python/depositional_ages.py.
void writeSamples(const std::vector<kestrel::GrainSample>& samples) {
    const auto dir = std::filesystem::temp_directory_path() / "kestrel-depositional-bench";
    std::filesystem::create_directories(dir);
    std::ofstream out(dir / ("samples_" + std::to_string(samples.size()) + "x" +
                             std::to_string(samples.front().ages.size()) + ".csv"));
    out << std::setprecision(17);
    for (size_t s = 0; s < samples.size(); ++s)
        out << (s ? "," : "") << samples[s].name << ',' << samples[s].name << " err";
    out << '\n';
    for (size_t i = 0; i < samples.front().ages.size(); ++i) {
        for (size_t s = 0; s < samples.size(); ++s)
            out << (s ? "," : "") << samples[s].ages[i] << ',' << samples[s].sigmas[i];
        out << '\n';
    }
}

const std::vector<kestrel::GrainSample>& benchSamples() {
    static const std::vector<kestrel::GrainSample> samples = [] {
        auto made = detritalSamples(200, 1000);
        writeSamples(made);
        return made;
    }();
    return samples;
}

void BM_DepositionalAges(benchmark::State& state) {
    const auto& samples = benchSamples();
    const std::vector<kestrel::DepositionalMethod> methods = kestrel::everyDepositionalMethod();
    const kestrel::DepositionalOptions options;
    for (auto _ : state)
        benchmark::DoNotOptimize(
            kestrel::estimateDepositionalAgesOfSamples(samples, methods, options));
    state.counters["samples"] = static_cast<double>(samples.size());
}
BENCHMARK(BM_DepositionalAges)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_MaximumLikelihoodAges(benchmark::State& state) {
    const auto& samples = benchSamples();
    const kestrel::DepositionalOptions options;
    std::vector<kestrel::DepositionalEstimate> estimates(samples.size());
    for (auto _ : state) {
        kestrel::forEachIndexInParallel(static_cast<int64_t>(samples.size()), 0, [&](int64_t i) {
            const auto s = static_cast<size_t>(i);
            estimates[s] = kestrel::maximumLikelihoodAge(samples[s], options);
        });
        benchmark::DoNotOptimize(estimates.data());
    }
    size_t degenerate = 0;
    for (const auto& estimate : estimates) degenerate += estimate.degenerate ? 1 : 0;
    state.counters["degenerate"] = static_cast<double>(degenerate);
}
BENCHMARK(BM_MaximumLikelihoodAges)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ComponentsAuto(benchmark::State& state) {
    const kestrel::GrainSample& sample = benchSamples().front();
    kestrel::MixtureFit fit;
    for (auto _ : state) {
        fit = kestrel::fitMixtureAuto(sample);
        benchmark::DoNotOptimize(fit.bic);
    }
    state.counters["k"] = static_cast<double>(fit.components.size());
}
BENCHMARK(BM_ComponentsAuto)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
