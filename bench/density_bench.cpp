// Benchmarks of profiles from grain ages (engine/density) on one core: the PDP of 1,000,000
// grains on a 5,000-row grid (the aim: under 1 s), the KDE and the Botev bandwidth of a large
// and a typical sample, and the adaptive KDE (its pilot a fast Gauss transform at the grains'
// ages).
#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <vector>

#include "engine/density/AdaptiveKde.h"
#include "engine/density/BotevBandwidth.h"
#include "engine/density/Kde.h"
#include "engine/density/Pdp.h"

namespace {

// A detrital-like sample: ages from six populations between 100 and 3,500 Ma, each with a
// spread of 3 % of its age, and 1-sigma uncertainties of `relativeSigma` of the age plus 1 Ma.
kestrel::GrainSample detritalSample(int64_t grains, double relativeSigma) {
    std::mt19937_64 random(20100501);
    const double means[] = {100.0, 450.0, 1000.0, 1800.0, 2700.0, 3500.0};
    std::uniform_int_distribution<int> population(0, 5);
    std::normal_distribution<double> unit(0.0, 1.0);
    kestrel::GrainSample sample{"bench", {}, {}};
    sample.ages.reserve(grains);
    sample.sigmas.reserve(grains);
    for (int64_t i = 0; i < grains; ++i) {
        const double mean = means[population(random)];
        const double age = std::fabs(mean + 0.03 * mean * unit(random));
        sample.ages.push_back(age);
        sample.sigmas.push_back(relativeSigma * age + 1.0);
    }
    return sample;
}

const kestrel::AgeGrid kGrid5000{0.0, 4999.0, 1.0};  // 5,000 rows, 1 Ma apart

// range(0): grains; range(1): 1-sigma in tenths of a per cent of the age.
void BM_Pdp(benchmark::State& state) {
    const kestrel::GrainSample sample =
        detritalSample(state.range(0), static_cast<double>(state.range(1)) / 1000.0);
    for (auto _ : state) benchmark::DoNotOptimize(kestrel::pdpProfile(sample, kGrid5000));
}
BENCHMARK(BM_Pdp)
    ->Args({1000000, 5})
    ->Args({1000000, 10})
    ->Args({1000000, 20})
    ->Args({1000000, 30})
    ->Unit(benchmark::kMillisecond)
    ->MinTime(2.0);

void BM_KdeWithBotevBandwidth(benchmark::State& state) {
    const kestrel::GrainSample sample = detritalSample(state.range(0), 0.01);
    for (auto _ : state) {
        const double h = kestrel::botevBandwidth(sample);
        benchmark::DoNotOptimize(kestrel::kdeProfile(sample, kGrid5000, h));
    }
}
BENCHMARK(BM_KdeWithBotevBandwidth)->Arg(120)->Arg(1000000)->Unit(benchmark::kMillisecond);

void BM_AdaptiveKde(benchmark::State& state) {
    const kestrel::GrainSample sample = detritalSample(state.range(0), 0.01);
    const double h = kestrel::botevBandwidth(sample);
    state.counters["h"] = h;
    for (auto _ : state)
        benchmark::DoNotOptimize(kestrel::adaptiveKdeProfile(sample, kGrid5000, h));
}
BENCHMARK(BM_AdaptiveKde)->Arg(120)->Arg(10000)->Arg(1000000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
