// Benchmarks of unmixing: the exact minimum-D (and minimum-V) mixture of a sink and five sources
// of 1,000 grains each (the aim: under 20 ms a fit), 1,000 bootstrap D fits of them on every
// core (under 10 s), and the end-members of 200 KDE profiles of 5,001 rows for k = 2 to 8
// (under 5 s). The grains and the profiles are written for the numpy and scipy reference
// (bench/python/unmixing.py), which scripts/bench.sh times beside these.
#include <benchmark/benchmark.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <random>
#include <string>
#include <vector>

#include "engine/density/DensityProfiles.h"
#include "engine/unmixing/NmfEndMembers.h"
#include "engine/unmixing/Unmixing.h"

namespace {

const std::filesystem::path& benchFolder() {
    static const std::filesystem::path folder = [] {
        auto dir = std::filesystem::temp_directory_path() / "kestrel-unmixing-bench";
        std::filesystem::create_directories(dir);
        return dir;
    }();
    return folder;
}

// A detrital spectrum: `grains` ages from two to five populations between 150 and 3,000 Ma,
// each with a spread of 3 % of its age.
kestrel::GrainSample spectrum(const std::string& name, int grains, std::mt19937_64& random) {
    std::uniform_real_distribution<double> uniform(0.0, 1.0);
    std::normal_distribution<double> unit(0.0, 1.0);
    std::vector<double> means(2 + static_cast<size_t>(uniform(random) * 4.0));
    for (double& mean : means) mean = 150.0 + 2850.0 * uniform(random);
    kestrel::GrainSample sample{name, {}, {}};
    for (int i = 0; i < grains; ++i) {
        const double mean = means[static_cast<size_t>(uniform(random) * means.size())];
        sample.ages.push_back(std::fabs(mean + 0.03 * mean * unit(random)) + 5.0);
    }
    return sample;
}

// `grains` ages drawn from the sources in the proportions, each moved by a little noise.
kestrel::GrainSample mixtureOf(const std::string& name,
                               const std::vector<kestrel::GrainSample>& sources,
                               const std::vector<double>& shares, int grains,
                               std::mt19937_64& random) {
    std::discrete_distribution<size_t> which(shares.begin(), shares.end());
    std::normal_distribution<double> noise(0.0, 5.0);
    kestrel::GrainSample sample{name, {}, {}};
    for (int i = 0; i < grains; ++i) {
        const auto& from = sources[which(random)].ages;
        const size_t pick = std::uniform_int_distribution<size_t>(0, from.size() - 1)(random);
        sample.ages.push_back(std::fabs(from[pick] + noise(random)));
    }
    return sample;
}

struct Unmixing {
    kestrel::GrainSample sink;
    std::vector<kestrel::GrainSample> sources;
};

// The sink and five sources, written as sources.csv (one column each: sink, S1 ... S5).
const Unmixing& benchUnmixing() {
    static const Unmixing made = [] {
        std::mt19937_64 random(20240517);
        Unmixing u;
        for (int s = 1; s <= 5; ++s) {
            std::string name = "S";  // appended: GCC 12 warns falsely on "literal" + string
            name += std::to_string(s);
            u.sources.push_back(spectrum(name, 1000, random));
        }
        u.sink = mixtureOf("sink", u.sources, {0.35, 0.25, 0.2, 0.15, 0.05}, 1000, random);
        std::ofstream out(benchFolder() / "sources.csv");
        out << std::setprecision(17) << "sink";
        for (const auto& s : u.sources) out << ',' << s.name;
        out << '\n';
        for (size_t i = 0; i < 1000; ++i) {
            out << u.sink.ages[i];
            for (const auto& s : u.sources) out << ',' << s.ages[i];
            out << '\n';
        }
        return u;
    }();
    return made;
}

// 200 samples of 300 grains, each a mixture of four spectra in Dirichlet(1) proportions, as KDE
// profiles (Botev bandwidths) on 0 to 4,000 Ma in steps of 0.8 Ma: written as profiles.csv,
// one column per sample.
const std::vector<std::vector<double>>& benchProfiles() {
    static const std::vector<std::vector<double>> made = [] {
        std::mt19937_64 random(7);
        std::vector<kestrel::GrainSample> members, samples;
        for (int m = 0; m < 4; ++m) members.push_back(spectrum("M", 2000, random));
        std::exponential_distribution<double> gamma1(1.0);
        for (int s = 0; s < 200; ++s) {
            std::vector<double> shares(4);
            for (double& share : shares) share = gamma1(random);
            std::string name = "P";  // appended: GCC 12 warns falsely on "literal" + string
            name += std::to_string(s + 1);
            samples.push_back(mixtureOf(name, members, shares, 300, random));
        }
        kestrel::DensityOptions options;
        options.grid = kestrel::AgeGrid{0.0, 4000.0, 0.8};
        auto profiles = kestrel::buildDensityProfiles(samples, options).profiles;
        std::ofstream out(benchFolder() / "profiles.csv");
        out << std::setprecision(17);
        for (size_t r = 0; r < profiles.front().size(); ++r) {
            for (size_t s = 0; s < profiles.size(); ++s) out << (s ? "," : "") << profiles[s][r];
            out << '\n';
        }
        return profiles;
    }();
    return made;
}

void exactFit(benchmark::State& state, kestrel::UnmixingFit fit) {
    const Unmixing& u = benchUnmixing();
    kestrel::UnmixingOptions options;
    options.fits = {fit};
    options.resamples = 0;
    double value = 0.0;
    for (auto _ : state) {
        value = kestrel::unmixSample(u.sink, u.sources, options).estimates.front().value;
        benchmark::DoNotOptimize(value);
    }
    state.counters["value"] = value;
}

void BM_ExactD(benchmark::State& state) {
    exactFit(state, kestrel::UnmixingFit::D);
}
BENCHMARK(BM_ExactD)->Unit(benchmark::kMillisecond);

void BM_ExactV(benchmark::State& state) {
    exactFit(state, kestrel::UnmixingFit::V);
}
BENCHMARK(BM_ExactV)->Unit(benchmark::kMillisecond);

void BM_BootstrapD1000(benchmark::State& state) {
    const Unmixing& u = benchUnmixing();
    kestrel::UnmixingOptions options;
    options.fits = {kestrel::UnmixingFit::D};
    options.resamples = 1000;
    for (auto _ : state) {
        benchmark::DoNotOptimize(kestrel::unmixSample(u.sink, u.sources, options));
    }
}
BENCHMARK(BM_BootstrapD1000)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

void BM_Nmf200x5001K2to8(benchmark::State& state) {
    const auto& profiles = benchProfiles();
    const std::vector<std::string> names(profiles.size(), "P");
    std::vector<kestrel::NmfFit> fits;
    for (auto _ : state) {
        fits = kestrel::nmfEndMembersByK(profiles, names, 2, 8, {});
        benchmark::DoNotOptimize(fits.data());
    }
    int iterations = 0;
    for (const auto& fit : fits) iterations += fit.iterations;
    state.counters["iterations"] = iterations;
    state.counters["chosen_k"] = fits[kestrel::chooseEndMemberCount(fits)].k;
}
BENCHMARK(BM_Nmf200x5001K2to8)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
