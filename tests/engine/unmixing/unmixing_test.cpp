// The unmixing fits against linear and quadratic programmes solved by scipy and numpy from the
// definitions, the bootstrap against known proportions, NMF against known end-members, and the
// refusals.
#include "engine/unmixing/Unmixing.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "engine/KestrelError.h"
#include "engine/density/DensityProfiles.h"
#include "engine/unmixing/NmfEndMembers.h"
#include "tests/engine/CommandOutput.h"

namespace {

using namespace kestrel;

// Age populations of real orogens (mean, spread in Ma); each source draws from a few of them.
struct Population {
    double mean, sd;
};
const std::vector<Population> kPopulations{{95, 12},   {180, 25},  {420, 30},  {610, 45},
                                           {1080, 70}, {1450, 60}, {1750, 50}, {2700, 90}};

GrainSample sourceSample(const std::string& name, const std::vector<int>& populations, size_t n,
                         std::mt19937_64& random) {
    GrainSample sample{name, {}, {}};
    std::uniform_int_distribution<size_t> pick(0, populations.size() - 1);
    for (size_t g = 0; g < n; ++g) {
        const Population& p = kPopulations[static_cast<size_t>(populations[pick(random)])];
        const double age = std::normal_distribution<double>(p.mean, p.sd)(random);
        sample.ages.push_back(std::round(std::max(age, 1.0)));  // whole Ma: ties, as labs report
        sample.sigmas.push_back(0.02 * sample.ages.back() + 2.0);
    }
    return sample;
}

// A sink of n grains drawn from the sources in the given proportions.
GrainSample sinkOf(const std::vector<GrainSample>& sources, const std::vector<double>& shares,
                   size_t n, std::mt19937_64& random) {
    GrainSample sink{"sink", {}, {}};
    std::discrete_distribution<size_t> which(shares.begin(), shares.end());
    for (size_t g = 0; g < n; ++g) {
        const GrainSample& from = sources[which(random)];
        const size_t grain = std::uniform_int_distribution<size_t>(0, from.ages.size() - 1)(random);
        sink.ages.push_back(from.ages[grain]);
        sink.sigmas.push_back(from.sigmas[grain]);
    }
    return sink;
}

struct ScratchFile {
    std::filesystem::path path;
    explicit ScratchFile(const std::string& text) {
        std::string name = std::filesystem::temp_directory_path() / "kestrel-unmix-XXXXXX";
        close(mkstemp(name.data()));
        path = name;
        std::ofstream(path) << text;
    }
    ~ScratchFile() { std::filesystem::remove(path); }
};

std::string oracle(const std::string& arguments) {
    return testsupport::commandOutput("/usr/bin/python3 '" KESTREL_SOURCE_DIR
                                      "/tests/engine/unmixing/unmixing_oracle.py' " +
                                      arguments);
}

UnmixingOptions fitsOnly(std::vector<UnmixingFit> fits) {
    UnmixingOptions options;
    options.fits = std::move(fits);
    options.resamples = 0;
    return options;
}

TEST(Unmixing, CdfFitsAreTheLinearProgrammesOptimumAndBeatRandomSearch) {
    std::mt19937_64 random(11);
    const std::vector<std::vector<int>> mixes{{0, 3, 4}, {2, 4, 6}, {1, 5, 7}, {3, 7}, {0, 6}};
    for (size_t sources = 2; sources <= 5; ++sources) {
        SCOPED_TRACE(sources);
        std::vector<GrainSample> found;
        for (size_t s = 0; s < sources; ++s)
            found.push_back(sourceSample("S" + std::to_string(s), mixes[s], 150 + 40 * s, random));
        // A sink that is no exact mixture: its own populations added.
        GrainSample sink = sinkOf(found, std::vector<double>(sources, 1.0), 300, random);
        GrainSample extra = sourceSample("x", {1, 2}, 60, random);
        sink.ages.insert(sink.ages.end(), extra.ages.begin(), extra.ages.end());
        std::ostringstream text;
        text.precision(17);
        for (const GrainSample* s : std::vector<const GrainSample*>{&sink, &found[0], &found[1]})
            for (double age : s->ages) text << s->name << ',' << age << '\n';
        for (size_t s = 2; s < sources; ++s)
            for (double age : found[s].ages) text << found[s].name << ',' << age << '\n';
        const ScratchFile file(text.str());
        std::istringstream expected(oracle("cdf '" + file.path.string() + "' 5"));
        double d = NAN, v = NAN, randomBest = NAN;
        expected >> d >> v >> randomBest;
        ASSERT_TRUE(expected) << "the oracle did not answer";
        const UnmixingResult result =
            unmixSample(sink, found, fitsOnly({UnmixingFit::D, UnmixingFit::V}));
        EXPECT_NEAR(result.estimates[0].value, d, 1e-9);
        EXPECT_NEAR(result.estimates[1].value, v, 1e-9);
        EXPECT_LE(result.estimates[0].value, randomBest + 1e-12);
        for (const UnmixingEstimate& estimate : result.estimates) {
            double sum = 0.0;
            for (double w : estimate.proportions) {
                EXPECT_GE(w, 0.0);
                sum += w;
            }
            EXPECT_NEAR(sum, 1.0, 1e-12);
        }
    }
}

TEST(Unmixing, ProfileFitIsTheLeastSquaresOptimum) {
    std::mt19937_64 random(3);
    std::vector<GrainSample> sources{
        sourceSample("A", {0, 3}, 200, random), sourceSample("B", {3, 4, 5}, 200, random),
        sourceSample("C", {4, 6}, 200, random), sourceSample("D", {7}, 200, random)};
    GrainSample sink = sinkOf({sources[0], sources[1], sources[2]}, {0.2, 0.5, 0.3}, 400, random);
    for (DensityKind kind : {DensityKind::Kde, DensityKind::Pdp}) {
        UnmixingOptions options = fitsOnly({UnmixingFit::Profiles});
        options.density.kind = kind;
        const UnmixingEstimate got = unmixSample(sink, sources, options).estimates.front();
        std::vector<GrainSample> all{sink};
        all.insert(all.end(), sources.begin(), sources.end());
        DensityOptions density;
        density.kind = kind;
        std::ostringstream text;
        text.precision(17);
        for (const auto& profile : buildDensityProfiles(all, density).profiles) {
            for (size_t r = 0; r < profile.size(); ++r) text << (r ? "," : "") << profile[r];
            text << '\n';
        }
        const ScratchFile file(text.str());
        std::istringstream expected(oracle("profiles '" + file.path.string() + "'"));
        for (double w : got.proportions) {
            double want = NAN;
            expected >> want;
            EXPECT_NEAR(w, want, 1e-7);
        }
        double r2 = NAN;
        expected >> r2;
        ASSERT_TRUE(expected) << "the oracle did not answer";
        EXPECT_NEAR(got.value, r2, 1e-9);
    }
}

TEST(Unmixing, BootstrapIntervalsHoldTheTrueProportionsWhateverTheThreads) {
    std::mt19937_64 random(7);
    const std::vector<GrainSample> sources{sourceSample("North", {0, 3, 4}, 1500, random),
                                           sourceSample("East", {2, 4, 6}, 1500, random),
                                           sourceSample("West", {1, 5, 7}, 1500, random)};
    const std::vector<double> truth{0.5, 0.3, 0.2};
    const GrainSample sink = sinkOf(sources, truth, 4000, random);
    UnmixingOptions options;
    options.resamples = 200;
    options.seed = 42;
    options.threads = 1;
    const UnmixingResult one = unmixSample(sink, sources, options);
    options.threads = 3;
    int64_t calls = 0;
    options.progress = [&calls](int64_t done, int64_t total) {
        ++calls;
        return done <= total;
    };
    const UnmixingResult three = unmixSample(sink, sources, options);
    EXPECT_EQ(calls, 200);
    ASSERT_EQ(one.estimates.size(), 3u);
    for (size_t f = 0; f < 3; ++f) {
        const UnmixingEstimate& e = one.estimates[f];
        SCOPED_TRACE(unmixingFit(e.fit).name);
        EXPECT_EQ(e.lower, three.estimates[f].lower);
        EXPECT_EQ(e.upper, three.estimates[f].upper);
        for (size_t i = 0; i < truth.size(); ++i) {
            EXPECT_LE(e.lower[i], truth[i]);
            EXPECT_GE(e.upper[i], truth[i]);
            EXPECT_LT(e.upper[i] - e.lower[i], 0.2);
        }
        EXPECT_LE(*e.valueLower, *e.valueUpper);
    }
    // Stopped after the fifth resample: no intervals, and said so.
    options.progress = [](int64_t done, int64_t) { return done < 5; };
    const UnmixingResult stopped = unmixSample(sink, sources, options);
    EXPECT_TRUE(stopped.cancelled);
    EXPECT_TRUE(stopped.estimates.front().lower.empty());
}

// Three bell-shaped end-members on a 400-row grid; 30 samples of known weights, each a mixture of
// two of them (so the end-members are the only factorisation: each lies on an edge of the data).
TEST(Unmixing, NmfRecoversKnownEndMembers) {
    const size_t rows = 400;
    std::vector<std::vector<double>> members(3, std::vector<double>(rows));
    const double centres[3] = {60, 180, 300}, widths[3] = {15, 30, 20};
    for (size_t l = 0; l < 3; ++l) {
        double sum = 0.0;
        for (size_t r = 0; r < rows; ++r)
            sum += members[l][r] = std::exp(-0.5 * std::pow((r - centres[l]) / widths[l], 2));
        for (double& v : members[l]) v /= sum;
    }
    std::mt19937_64 random(5);
    std::vector<std::vector<double>> profiles, weights;
    std::vector<std::string> names;
    for (int s = 0; s < 30; ++s) {
        std::vector<double> w(3);
        double sum = 0.0;
        for (double& v : w) sum += v = std::exponential_distribution<double>(1.0)(random);
        sum -= w[static_cast<size_t>(s % 3)];
        w[static_cast<size_t>(s % 3)] = 0.0;
        std::vector<double> profile(rows, 0.0);
        for (size_t l = 0; l < 3; ++l) {
            w[l] /= sum;
            for (size_t r = 0; r < rows; ++r) profile[r] += 100.0 * w[l] * members[l][r];
        }
        profiles.push_back(profile);
        weights.push_back(w);
        names.push_back("S" + std::to_string(s));
    }
    const std::vector<NmfFit> fits = nmfEndMembersByK(profiles, names, 2, 5, {});
    ASSERT_EQ(fits.size(), 4u);
    EXPECT_GT(fits[0].residual, 0.05);
    EXPECT_LT(fits[1].residual, 1e-4);
    EXPECT_EQ(chooseEndMemberCount(fits), 1u);
    const NmfFit& three = fits[1];
    for (size_t l = 0; l < 3; ++l) {
        double gap = 0.0;
        for (size_t r = 0; r < rows; ++r) gap += std::abs(three.endMembers[l][r] - members[l][r]);
        EXPECT_LT(gap, 1e-3) << "end-member " << l;
    }
    for (size_t s = 0; s < profiles.size(); ++s) {
        for (size_t l = 0; l < 3; ++l) EXPECT_NEAR(three.weights[s][l], weights[s][l], 1e-3);
        EXPECT_LT(three.sampleResiduals[s], 1e-3);
    }
    // Stopped from outside (the window's Esc): every fit says so, none ran on.
    NmfOptions stopping;
    stopping.progress = [](int, int iterations) { return iterations < 3; };
    for (const NmfFit& fit : nmfEndMembersByK(profiles, names, 2, 4, stopping)) {
        EXPECT_TRUE(fit.cancelled);
        EXPECT_EQ(fit.iterations, 3);
    }
}

TEST(Unmixing, RefusalsNameTheSample) {
    const GrainSample a{"A", {100, 200, 300}, {}}, b{"B", {150, 250}, {}}, c{"C", {400, 500}, {}};
    const auto message = [](const GrainSample& sink, const std::vector<GrainSample>& sources) {
        try {
            unmixSample(sink, sources, fitsOnly({UnmixingFit::D}));
        } catch (const KestrelError& error) {
            return std::string(error.what());
        }
        return std::string("(accepted)");
    };
    EXPECT_EQ(message(a, {b}), "Sample \"A\": unmixing needs at least two sources, 1 given");
    EXPECT_EQ(message(a, {b, a}), "Sample \"A\" is the sink and cannot be one of its own sources");
    EXPECT_EQ(message(a, {b, c, b}), "Sample \"B\" is named twice as a source");
    EXPECT_EQ(message({"A", {100}, {}}, {b, c}),
              "Sample \"A\": the sink needs at least two ages to be unmixed, it has 1");
    EXPECT_EQ(message(a, {b, {"C", {1, NAN}, {}}}),
              "Sample \"C\": the age of grain 2 is not a finite number");
    const auto nmfMessage = [](const std::vector<std::vector<double>>& profiles, int k) {
        try {
            nmfEndMembers(profiles, {"P", "Q"}, k, {});
        } catch (const KestrelError& error) {
            return std::string(error.what());
        }
        return std::string("(accepted)");
    };
    EXPECT_EQ(nmfMessage({{1, 2, 3}, {0, 0, 0}}, 1),
              "Sample \"Q\": its profile is 0 on the whole age grid; widen the grid");
    EXPECT_EQ(nmfMessage({{1, 2, 3}, {3, 2, 1}}, 3),
              "End-members: 3 end-members asked for, but the profiles allow 1 to 2 (no more than "
              "the samples)");
}

}  // namespace
