// The youngest-grain estimators of the maximum depositional age against numpy written from
// their definitions (youngest_grains_oracle.py): hand-made samples that separate the
// conventions (youngest by age or by age + sigma, clusters broken by a gap, an MSWD crossing
// 1, samples where a method finds nothing) and random detrital samples of 100 to 1000 grains;
// YDZ's draws against the exact distribution of the youngest of normal ages; the PDP walk
// reading only the young end.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "engine/depositional/DepositionalEstimators.h"
#include "engine/depositional/PdpPeaks.h"
#include "tests/engine/CommandOutput.h"

namespace {

using kestrel::DepositionalEstimate;
using kestrel::DepositionalOptions;
using kestrel::GrainSample;

// The estimators called directly, as the engine's table names them.
using Estimator = DepositionalEstimate (*)(const GrainSample&, const DepositionalOptions&);
const std::map<std::string, Estimator> kEstimators{
    {"ysg", kestrel::youngestSingleGrain},
    {"yc1s", kestrel::youngestCluster1Sigma},
    {"yc2s", kestrel::youngestCluster2Sigma},
    {"y3za", kestrel::youngestThreeZirconsByAge},
    {"y3zo", kestrel::youngestThreeZirconsOverlapping},
    {"ysp", kestrel::youngestStatisticalPopulation},
    {"ypp", kestrel::youngestPdpPeak},
    {"tau", kestrel::youngestPeakTau},
    {"ydz", kestrel::youngestDetritalZircon},
};

// A sample from its grains as age, sigma, age, sigma, ...
GrainSample sampleOf(std::string name, std::vector<double> grains) {
    GrainSample sample{std::move(name), {}, {}};
    for (size_t i = 0; i + 1 < grains.size(); i += 2) {
        sample.ages.push_back(grains[i]);
        sample.sigmas.push_back(grains[i + 1]);
    }
    return sample;
}

// Hand-made samples, each separating one convention from its neighbours.
std::vector<GrainSample> handMadeSamples() {
    return {
        // Youngest by age (100 +- 6) is not youngest by age + sigma (103 +- 1), which ties with
        // 101 +- 3, read after it.
        sampleOf("byUpperAge", {110, 1, 100, 6, 103, 1, 104, 1, 104.5, 2, 160, 3, 101, 3}),
        // 100 +- 1 and 102 +- 1 touch at 1 sigma (101) without overlapping.
        sampleOf("touching", {100, 1, 102, 1, 110, 1, 110.5, 1, 140, 2}),
        // 103 +- 0.2 does not reach 100 +- 1 at 1 or 2 sigma, so 99 +- 2.5, which would, is cut
        // off from it; the first cluster is further up.
        sampleOf("gap", {100, 1, 103, 0.2, 99, 2.5, 120, 1, 121, 1, 121.5, 1, 122, 2, 150, 2}),
        // MSWDs of the youngest pairs and sets crossing 1 at different places.
        sampleOf("mswd",
                 {50, 0.5, 52, 0.5, 52.3, 0.5, 52.6, 0.6, 53.4, 0.5, 53.5, 0.4, 55, 0.5, 70, 1}),
        // Far apart: no cluster, no pair with an MSWD below 1, one grain to each peak.
        sampleOf("apart", {100, 1, 200, 2, 300, 3}),
        sampleOf("two", {100, 1, 100.5, 1}),
    };
}

// Detrital-like samples: most grains spread over 50-3000 Ma, some in a few populations, sigmas
// 1-3% of the age.
std::vector<GrainSample> randomSamples() {
    std::vector<GrainSample> samples;
    std::mt19937 random(2024);
    std::uniform_real_distribution<double> spread(50, 3000), percent(0.01, 0.03), unit(0, 1);
    for (const int n : {100, 300, 1000, 1000}) {
        GrainSample sample{
            "random" + std::to_string(n) + "_" + std::to_string(samples.size()), {}, {}};
        std::normal_distribution<double> young(60 + 30 * unit(random), 1.5), old(1100, 40);
        for (int i = 0; i < n; ++i) {
            const double pick = unit(random);
            const double age = pick < 0.1   ? young(random)
                               : pick < 0.3 ? old(random)
                                            : spread(random);
            sample.ages.push_back(age);
            sample.sigmas.push_back(age * percent(random));
        }
        samples.push_back(std::move(sample));
    }
    return samples;
}

struct ScratchFile {
    std::filesystem::path path;
    explicit ScratchFile(const std::vector<GrainSample>& samples) {
        std::string name = std::filesystem::temp_directory_path() / "kestrel-youngest-XXXXXX";
        close(mkstemp(name.data()));
        path = name;
        std::ofstream out(path);
        out.precision(17);
        for (const GrainSample& s : samples)
            for (size_t i = 0; i < s.ages.size(); ++i)
                out << s.name << "," << s.ages[i] << "," << s.sigmas[i] << "\n";
    }
    ~ScratchFile() { std::filesystem::remove(path); }
};

std::string oracle(const std::string& arguments) {
    return kestrel::testsupport::commandOutput(
        "/usr/bin/python3 '" KESTREL_SOURCE_DIR
        "/tests/engine/depositional/youngest_grains_oracle.py' " +
        arguments);
}

void expectNear(const std::optional<double>& got, double expected, double tolerance,
                const char* what) {
    if (std::isnan(expected)) {
        EXPECT_FALSE(got.has_value()) << what << " " << *got;
    } else {
        ASSERT_TRUE(got.has_value()) << what;
        EXPECT_NEAR(*got, expected, tolerance) << what;
    }
}

// Every sample's nine estimates against the oracle's line for them.
void expectAgreement(const std::vector<GrainSample>& samples, const DepositionalOptions& options) {
    const ScratchFile file(samples);
    std::istringstream lines(oracle("estimates '" + file.path.string() + "' " +
                                    std::to_string(options.seed) + " " +
                                    std::to_string(options.draws)));
    std::map<std::string, const GrainSample*> byName;
    for (const GrainSample& s : samples) byName[s.name] = &s;
    size_t compared = 0;
    for (std::string line; std::getline(lines, line); ++compared) {
        std::istringstream in(line);
        std::string name, method, text[4];
        size_t used = 0;
        in >> name >> method >> text[0] >> text[1] >> text[2] >> text[3] >> used;
        const double age = std::stod(text[0]), minus = std::stod(text[1]),
                     plus = std::stod(text[2]), mswd = std::stod(text[3]);
        const DepositionalEstimate got = kEstimators.at(method)(*byName.at(name), options);
        SCOPED_TRACE(name + " " + method);
        // Weighted means and single grains exactly; the PDP's peak to its root finding;
        // YDZ's mode to the same, its percentiles exactly.
        const double scale = std::isnan(age) ? 1.0 : std::fabs(age);
        const double relative = method == "ypp" ? 1e-8 : method == "ydz" ? 1e-9 : 1e-12;
        expectNear(got.age, age, relative * scale, "age");
        expectNear(got.minus, minus, relative * (method == "ydz" ? scale : std::fabs(minus)),
                   "minus");
        expectNear(got.plus, plus, relative * (method == "ydz" ? scale : std::fabs(plus)), "plus");
        expectNear(got.mswd, mswd, 1e-12 * std::fabs(mswd), "mswd");
        EXPECT_EQ(got.used, used);
        EXPECT_EQ(got.reason.empty(), got.age.has_value()) << got.reason;
    }
    EXPECT_EQ(compared, samples.size() * kEstimators.size());
}

TEST(YoungestGrains, AgreeWithNumpy) {
    expectAgreement(handMadeSamples(), DepositionalOptions{});
    DepositionalOptions other;
    other.seed = 0xDEADBEEFCAFEULL;
    other.draws = 2001;
    expectAgreement(handMadeSamples(), other);
    expectAgreement(randomSamples(), DepositionalOptions{});
}

// What each method reads, from the definitions by hand, and why it finds nothing.
TEST(YoungestGrains, HandMadeSamplesSeparateTheConventions) {
    const std::vector<GrainSample> samples = handMadeSamples();
    const DepositionalOptions options;
    const auto run = [&](const std::string& method, const std::string& name) {
        const auto sample = std::find_if(samples.begin(), samples.end(),
                                         [&](const GrainSample& s) { return s.name == name; });
        return kEstimators.at(method)(*sample, options);
    };
    // byUpperAge: YSG is 103 +- 1 (a + s = 104, read before 101 +- 3), not 100 +- 6.
    EXPECT_EQ(run("ysg", "byUpperAge").age, 103.0);
    EXPECT_EQ(run("ysg", "byUpperAge").minus, 1.96);
    // touching: the youngest cluster at 1 sigma is 110, 110.5.
    EXPECT_EQ(run("yc1s", "touching").used, 2u);
    EXPECT_GT(*run("yc1s", "touching").age, 110.0);
    // gap: the cluster of 100 +- 1 stops at 103 +- 0.2, so the youngest clusters are higher
    // up: 120, 121 at 1 sigma (121.5 +- 1 starts at 120.5, above 120 + 1); 120-122 at 2 sigma,
    // of which Y3Zo takes three.
    EXPECT_EQ(run("yc1s", "gap").used, 2u);
    EXPECT_EQ(run("yc2s", "gap").used, 4u);
    EXPECT_EQ(run("y3zo", "gap").used, 3u);
    EXPECT_LT(*run("yc2s", "gap").age, 122.0);
    EXPECT_GT(*run("yc2s", "gap").age, 120.0);
    // mswd: 50 and 52 disagree (MSWD 8); from 52 on, three grains have 0.30 and four 1.45,
    // nearer 1, so YSP keeps four.
    EXPECT_EQ(run("ysp", "mswd").used, 4u);
    EXPECT_NEAR(*run("ysp", "mswd").mswd, 1.4497243107769415, 1e-12);
    // apart and two: each "nothing" with its reason.
    const std::map<std::string, std::string> apart{
        {"yc1s", "no cluster of two grains overlapping at 1 sigma"},
        {"yc2s", "no cluster of three grains overlapping at 2 sigma"},
        {"y3zo", "no cluster of three grains overlapping at 2 sigma"},
        {"ysp", "no two successive grains with an MSWD below 1"},
        {"ypp", "no peak with two grains within 1 sigma of it"},
        {"tau", "no peak with three grains between its minima"},
    };
    for (const auto& [method, reason] : apart) {
        const DepositionalEstimate e = run(method, "apart");
        EXPECT_FALSE(e.age || e.minus || e.plus || e.mswd) << method;
        EXPECT_EQ(e.reason, reason) << method;
    }
    EXPECT_EQ(run("y3za", "apart").used, 3u);
    for (const char* method : {"yc2s", "y3za", "y3zo"})
        EXPECT_EQ(run(method, "two").reason, "fewer than three grains") << method;
    // two: one peak between two grains, each within 1 sigma of it; Tau needs three.
    EXPECT_EQ(run("ypp", "two").used, 2u);
    EXPECT_NEAR(*run("ypp", "two").age, 100.25, 1e-9);
    EXPECT_EQ(run("tau", "two").reason, "no peak with three grains between its minima");
}

// Samples at the edges of what a workbook can hold: every method gives a finite estimate or
// says why it gives none.
TEST(YoungestGrains, OddSamplesGiveFiniteEstimatesOrReasons) {
    const std::vector<GrainSample> samples{
        sampleOf("same", {100, 1, 100, 1, 100, 1, 100, 1}),
        sampleOf("minute", {1e-6, 1e-7, 2e-6, 1e-7, 2.1e-6, 1e-7}),
        sampleOf("vast", {1e300, 1e298, 1.01e300, 1e298, 1.2e300, 1e298}),
        sampleOf("sharp", {100, 1e-150, 101, 1e-150, 102, 1e-150}),
        sampleOf("unequal", {0.5, 1e-6, 0.5, 2e-6, 3000, 100, 3100, 100}),
    };
    for (const GrainSample& sample : samples) {
        for (const auto& [method, estimate] : kEstimators) {
            SCOPED_TRACE(sample.name + " " + method);
            const DepositionalEstimate e = estimate(sample, DepositionalOptions{});
            EXPECT_EQ(e.reason.empty(), e.age.has_value()) << e.reason;
            for (const std::optional<double>& value : {e.age, e.minus, e.plus, e.mswd}) {
                if (value) {
                    EXPECT_TRUE(std::isfinite(*value)) << *value;
                }
            }
            if (method == "ypp" && sample.name == "unequal") {
                EXPECT_EQ(e.reason, kestrel::kPdpTooFine);
            }
        }
    }
}

// YDZ's percentiles and mode against the exact distribution of the youngest of the
// candidates' ages, P(min > t) = prod(1 - Phi((t - a_i) / s_i)): the percentiles within four
// standard errors of a sample percentile, the mode within a fiftieth of the 95% range (the
// kernel's smoothing and the draws' scatter).
TEST(YoungestGrains, YdzFollowsTheDistributionOfTheYoungestAge) {
    const std::vector<GrainSample> samples{
        sampleOf("three", {100, 2, 101, 1, 99.5, 3, 140, 2}),
        sampleOf("sharp", {100, 5, 103, 0.5, 104, 1, 130, 1}),
    };
    const ScratchFile file(samples);
    std::istringstream lines(oracle("minimum '" + file.path.string() + "'"));
    DepositionalOptions options;
    options.draws = 100000;
    size_t compared = 0;
    for (std::string line; std::getline(lines, line); ++compared) {
        std::istringstream in(line);
        std::string name;
        double low = 0, high = 0, densityLow = 0, densityHigh = 0, mode = 0;
        in >> name >> low >> high >> densityLow >> densityHigh >> mode;
        const GrainSample& sample = name == "three" ? samples[0] : samples[1];
        SCOPED_TRACE(name);
        const DepositionalEstimate e = kestrel::youngestDetritalZircon(sample, options);
        const double n = options.draws;
        EXPECT_NEAR(*e.age - *e.minus, low, 4 * std::sqrt(0.025 * 0.975 / n) / densityLow);
        EXPECT_NEAR(*e.age + *e.plus, high, 4 * std::sqrt(0.025 * 0.975 / n) / densityHigh);
        EXPECT_NEAR(*e.age, mode, (high - low) / 50);
    }
    EXPECT_EQ(compared, samples.size());
}

// A large sample whose youngest peak qualifies at once: the walk reads its young end only.
TEST(YoungestGrains, PdpWalkReadsOnlyAsFarAsTheFirstPeak) {
    GrainSample sample = sampleOf("big", {60, 1, 60.5, 1});
    std::mt19937 random(5);
    std::uniform_real_distribution<double> age(200, 3000);
    for (int i = 0; i < 998; ++i) {
        sample.ages.push_back(age(random));
        sample.sigmas.push_back(sample.ages.back() * 0.02);
    }
    kestrel::PdpWalk walk(sample);
    const std::optional<kestrel::PdpTurn> first = walk.next();
    ASSERT_TRUE(first && first->peak);
    EXPECT_EQ(walk.grainsWithinOneSigma(first->age), 2u);
    EXPECT_LT(walk.reachedAge(), 61.0);
    const DepositionalEstimate ypp = kestrel::youngestPdpPeak(sample, DepositionalOptions{});
    EXPECT_NEAR(*ypp.age, 60.25, 1e-9);
}

}  // namespace
