// Profiles from grain ages (engine/density): PDP, KDE and adaptive KDE at every grid row and the
// Botev bandwidth against numpy/scipy (tests/engine/density_numpy_oracle.py, written from the
// definitions and the paper, not from our code); the default grid rule, the common bandwidth,
// the scaling and the refusals by their messages.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "engine/KestrelError.h"
#include "engine/density/AdaptiveKde.h"
#include "engine/density/BotevBandwidth.h"
#include "engine/density/DensityProfiles.h"
#include "engine/density/Kde.h"
#include "engine/density/NormalKernels.h"
#include "engine/density/Pdp.h"
#include "tests/engine/CommandOutput.h"

namespace kestrel {
namespace {

struct OracleProfile {
    std::string kind;  // pdp, kde, adaptive
    int sample = 0;
    double bandwidth = 0.0;
    std::vector<double> values;
};

struct Oracle {
    std::map<int, GrainSample> samples;
    std::map<int, std::pair<double, bool>> botev;  // bandwidth, root found
    std::map<int, AgeGrid> grids;
    std::vector<OracleProfile> profiles;
};

Oracle readOracle() {
    const std::string command =
        "/usr/bin/python3 '" KESTREL_SOURCE_DIR "/tests/engine/density_numpy_oracle.py'";
    Oracle oracle;
    const std::string text = kestrel::testsupport::commandOutput(command);
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::string kind;
        int id = 0;
        fields >> kind >> id;
        if (kind == "sample") {
            GrainSample& sample = oracle.samples[id];
            sample.name = "S" + std::to_string(id);
            size_t grains = 0;
            fields >> grains;
            sample.ages.resize(grains);
            sample.sigmas.resize(grains);
            for (size_t i = 0; i < grains; ++i) fields >> sample.ages[i] >> sample.sigmas[i];
        } else if (kind == "botev") {
            int root = 0;
            fields >> oracle.botev[id].first >> root;
            oracle.botev[id].second = root != 0;
        } else if (kind == "grid") {
            AgeGrid& grid = oracle.grids[id];
            fields >> grid.from >> grid.to >> grid.step;
        } else {
            OracleProfile profile{kind, id, 0.0, {}};
            int gridId = 0;
            fields >> gridId;
            if (kind != "pdp") fields >> profile.bandwidth;
            for (double v; fields >> v;) profile.values.push_back(v);
            oracle.profiles.push_back(std::move(profile));
        }
    }
    return oracle;
}

const Oracle& oracle() {
    static const Oracle cases = readOracle();
    return cases;
}

constexpr const char* kNeedsScipy = "the oracle needs /usr/bin/python3 with python3-scipy";

DensityKind kindOf(const std::string& name) {
    if (name == "pdp") return DensityKind::Pdp;
    if (name == "kde") return DensityKind::Kde;
    return DensityKind::AdaptiveKde;
}

// Every profile at every row to 1e-12 of its highest point (the profiles are scaled to 100),
// through buildDensityProfiles with the oracle's grid and typed bandwidth.
TEST(DensityProfiles, PdpKdeAndAdaptiveKdeMatchDirectNumpySumsAtEveryRow) {
    ASSERT_EQ(oracle().profiles.size(), 24u) << kNeedsScipy;
    for (const OracleProfile& expected : oracle().profiles) {
        SCOPED_TRACE(expected.kind + " of sample " + std::to_string(expected.sample));
        DensityOptions options;
        options.kind = kindOf(expected.kind);
        options.grid = oracle().grids.at(expected.sample);
        if (expected.kind != "pdp") options.bandwidth = expected.bandwidth;
        const DensityProfiles got =
            buildDensityProfiles({oracle().samples.at(expected.sample)}, options);
        ASSERT_EQ(got.profiles.size(), 1u);
        ASSERT_EQ(got.profiles[0].size(), expected.values.size());
        ASSERT_EQ(got.ages.size(), expected.values.size());
        double worst = 0.0;
        for (size_t r = 0; r < expected.values.size(); ++r)
            worst = std::max(worst, std::fabs(got.profiles[0][r] - expected.values[r]));
        EXPECT_LE(worst, 1e-12 * 100.0);
        EXPECT_EQ(*std::max_element(got.profiles[0].begin(), got.profiles[0].end()), 100.0);
        if (expected.kind == "pdp") {
            EXPECT_TRUE(got.bandwidths.empty());
        } else {
            EXPECT_EQ(got.bandwidths, std::vector<double>{expected.bandwidth});
        }
    }
}

// Six detrital-like samples (60-120 grains), one with ties (ages to 10 Ma), one of 1,500
// grains (N' clamped to 1050) and one of 5 grains, where no sign change is found and kde.m's
// last resort, the minimum of |t - xi gamma(t)| over [0, 0.1], gives the bandwidth.
TEST(DensityProfiles, BotevBandwidthMatchesAnIndependentScipyImplementation) {
    ASSERT_EQ(oracle().botev.size(), 9u) << kNeedsScipy;
    for (const auto& [id, expected] : oracle().botev) {
        const GrainSample& sample = oracle().samples.at(id);
        const BotevEstimate got = botevEstimate(sample);
        EXPECT_NEAR(got.bandwidth, expected.first, 1e-6 * expected.first)
            << sample.ages.size() << " grains";
        EXPECT_EQ(got.rootFound, expected.second) << sample.ages.size() << " grains";
        EXPECT_EQ(botevBandwidth(sample), got.bandwidth);
    }
    const GrainSample& ties = oracle().samples.at(6);
    EXPECT_LT(botevEstimate(ties).distinctAges, static_cast<int64_t>(ties.ages.size()));
}

// The Botev bandwidth of every sample, their median for all, and the default grid around them.
TEST(DensityProfiles, CommonBandwidthIsTheMedianOfTheBotevBandwidths) {
    ASSERT_GE(oracle().samples.size(), 6u) << kNeedsScipy;
    std::vector<GrainSample> samples;
    std::vector<double> own;
    for (int id : {0, 1, 2, 3}) {
        samples.push_back(oracle().samples.at(id));
        own.push_back(botevBandwidth(samples.back()));
    }
    DensityOptions options;
    options.kind = DensityKind::Kde;
    const DensityProfiles separate = buildDensityProfiles(samples, options);
    EXPECT_EQ(separate.bandwidths, own);
    options.commonBandwidth = true;
    const DensityProfiles common = buildDensityProfiles(samples, options);
    std::vector<double> sorted = own;
    std::sort(sorted.begin(), sorted.end());
    const double median = (sorted[1] + sorted[2]) / 2.0;
    EXPECT_EQ(common.bandwidths, std::vector<double>(4, median));
    EXPECT_EQ(medianBandwidth({3.0, 1.0, 2.0}), 2.0);
    EXPECT_EQ(medianBandwidth({4.0, 1.0, 2.0, 10.0}), 3.0);
    EXPECT_EQ(medianBandwidth({7.0}), 7.0);
    // A typed bandwidth is everyone's, common or not; the adaptive KDE reports its pilot's.
    options.bandwidth = 12.5;
    options.kind = DensityKind::AdaptiveKde;
    EXPECT_EQ(buildDensityProfiles(samples, options).bandwidths, std::vector<double>(4, 12.5));
    // The default grid reaches 3 bandwidths beyond the extreme ages.
    double low = 1e300, high = -1e300;
    for (size_t s = 0; s < samples.size(); ++s) {
        const auto [a, b] = std::minmax_element(samples[s].ages.begin(), samples[s].ages.end());
        low = std::min(low, *a - 3.0 * median);
        high = std::max(high, *b + 3.0 * median);
    }
    EXPECT_LE(common.grid.from, low);
    EXPECT_GE(common.grid.to, high);
    EXPECT_GT(common.grid.from, low - common.grid.step);
    EXPECT_LT(common.grid.to, high + common.grid.step);
}

bool isRoundStep(double step) {
    const double power = std::pow(10.0, std::floor(std::log10(step)));
    const double mantissa = step / power;
    for (double m : {1.0, 2.0, 2.5, 5.0, 10.0})
        if (std::fabs(mantissa - m) < 1e-9) return true;
    return false;
}

TEST(DensityProfiles, DefaultGridHasARoundStepTwoAndAHalfToFiveThousandRowsAndEndsOutward) {
    const std::vector<std::pair<double, double>> spans = {
        {0.0, 1.0},      {-3.7, 4012.9}, {12.34, 12.35}, {1000.0, 1002.6},
        {250.0, 3499.0}, {0.0, 4999.0},  {0.0, 5000.0},  {-1e6, 2e7},
        {1e-3, 2.1e-3},  {4.5e9, 4.6e9}, {-40.0, -39.5}, {17.0, 17.0 + 2.0 * 4999.0}};
    for (const auto& [low, high] : spans) {
        SCOPED_TRACE(std::to_string(low) + " to " + std::to_string(high));
        const AgeGrid grid = defaultAgeGrid(low, high);
        const int64_t rows = ageGridRows(grid);
        EXPECT_GE(rows, 2500);
        EXPECT_LE(rows, 5000);
        EXPECT_TRUE(isRoundStep(grid.step)) << grid.step;
        EXPECT_LE(grid.from, low);
        EXPECT_GE(grid.to, high);
        EXPECT_GT(grid.from, low - grid.step);
        EXPECT_LT(grid.to, high + grid.step);
        // Ends on multiples of the step.
        EXPECT_NEAR(grid.from / grid.step, std::round(grid.from / grid.step), 1e-6);
        EXPECT_NEAR(grid.to / grid.step, std::round(grid.to / grid.step), 1e-6);
        // The next smaller round step would give more than 5,000 rows.
        for (double smaller : {grid.step / 2.0, grid.step / 1.25, grid.step / 2.5}) {
            if (!isRoundStep(smaller)) continue;
            const double finer = std::ceil(high / smaller) - std::floor(low / smaller) + 1.0;
            EXPECT_GT(finer, 5000.0) << smaller;
        }
    }
    EXPECT_EQ(defaultAgeGrid(0.0, 4999.0).step, 1.0);
    EXPECT_EQ(defaultAgeGrid(0.0, 5000.0).step, 2.0);
    const AgeGrid exact = defaultAgeGrid(-3.7, 4012.9);
    EXPECT_EQ(exact.step, 1.0);
    EXPECT_EQ(exact.from, -4.0);
    EXPECT_EQ(exact.to, 4013.0);
    EXPECT_EQ(defaultAgeGrid(1000.0, 1002.6).step, 0.001);
    EXPECT_EQ(defaultAgeGrid(250.0, 3499.0).step, 1.0);
    EXPECT_EQ(defaultAgeGrid(0.0, 10.0).step, 0.0025);
}

TEST(DensityProfiles, PdpDefaultGridReachesThreeSigmaOfTheExtremeGrains) {
    // The youngest grain's sigma (the larger of the two at the youngest age) sets the lower
    // end, not the wider grain next to it.
    const GrainSample sample{"A", {100.0, 100.0, 101.0, 300.0}, {2.0, 4.0, 30.0, 5.0}};
    DensityOptions options;
    options.kind = DensityKind::Pdp;
    const DensityProfiles got = buildDensityProfiles({sample}, options);
    EXPECT_EQ(got.grid.step, 0.05);  // 88 to 315: 4,541 rows
    EXPECT_NEAR(got.grid.from, 88.0, 1e-9);
    EXPECT_NEAR(got.grid.to, 315.0, 1e-9);
    EXPECT_EQ(got.ages.size(), static_cast<size_t>(ageGridRows(got.grid)));
    EXPECT_EQ(got.ages[1], got.grid.from + got.grid.step);
}

TEST(DensityProfiles, DefaultGridStartsNoLowerThanZeroUnlessAnAgeIsNegative) {
    // 10 Ma grains with a 5 Ma sigma would reach -5 Ma: ages that cannot exist get no rows.
    const GrainSample young{"A", {10.0, 12.0, 300.0}, {5.0, 5.0, 5.0}};
    DensityOptions options;
    options.kind = DensityKind::Pdp;
    EXPECT_EQ(buildDensityProfiles({young}, options).grid.from, 0.0);
    options.kind = DensityKind::Kde;
    options.bandwidth = 40.0;
    const DensityProfiles kde = buildDensityProfiles({young}, options);
    EXPECT_EQ(kde.grid.from, 0.0);
    EXPECT_GT(kde.profiles[0][0], 0.0) << "the youngest grain's kernel is cut at 0, not lost";
    // A negative age (a relative or a model age) keeps the margin below it.
    const GrainSample negative{"B", {-10.0, 12.0, 300.0}, {5.0, 5.0, 5.0}};
    EXPECT_LT(buildDensityProfiles({negative}, options).grid.from, -10.0);
}

// Each sample's own margin: the widest sigma among its youngest (or oldest) grains, its own
// bandwidth; the narrow sample comes first so that its margin cannot stand in for the wide one's.
TEST(DensityProfiles, DefaultGridMarginsAreEachSamplesOwn) {
    DensityOptions pdp;
    pdp.kind = DensityKind::Pdp;
    const GrainSample a{"A", {100.0, 100.0, 200.0}, {4.0, 2.0, 5.0}};
    const GrainSample b{"B", {150.0, 250.0}, {3.0, 5.0}};
    const DensityProfiles byPdp = buildDensityProfiles({a, b}, pdp);
    EXPECT_NEAR(byPdp.grid.from, 100.0 - 3.0 * 4.0, 1e-9);
    EXPECT_NEAR(byPdp.grid.to, 250.0 + 3.0 * 5.0, 1e-9);

    // Sixty ages around 600 (a Botev bandwidth near 3) and sixty from 370 to 1020 (near 70).
    const auto uniform = [](int i) {
        const double u = std::sin(i * 12.9898) * 43758.5453;
        return u - std::floor(u);
    };
    const auto spread = [&](int i) {
        return uniform(i) + uniform(i + 100) + uniform(i + 200) - 1.5;
    };
    GrainSample narrow{"Narrow", {}, {}}, wide{"Wide", {}, {}};
    for (int i = 0; i < 60; ++i) narrow.ages.push_back(600.0 + 10.0 * spread(i));
    for (int i = 0; i < 60; ++i) wide.ages.push_back(700.0 + 300.0 * spread(i + 300));
    const DensityProfiles byKde = buildDensityProfiles({narrow, wide}, DensityOptions{});
    ASSERT_EQ(byKde.bandwidths.size(), 2u);
    const double hNarrow = byKde.bandwidths[0], hWide = byKde.bandwidths[1];
    EXPECT_GT(hWide, 5.0 * hNarrow);
    const auto [youngest, oldest] = std::minmax_element(wide.ages.begin(), wide.ages.end());
    const double low = *youngest - 3.0 * hWide, high = *oldest + 3.0 * hWide;
    EXPECT_LE(byKde.grid.from, low);
    EXPECT_GT(byKde.grid.from, low - byKde.grid.step);
    EXPECT_GE(byKde.grid.to, high);
    EXPECT_LT(byKde.grid.to, high + byKde.grid.step);
    // Three bandwidths below the youngest grain the wide profile has nearly died away.
    EXPECT_LT(byKde.profiles[1].front(), 1.0);
    EXPECT_LT(byKde.profiles[1].back(), 1.0);
}

TEST(DensityProfiles, GridRowsAreBothEndsIncludedAndBadGridsAreRefused) {
    EXPECT_EQ(ageGridRows({0.0, 10.0, 1.0}), 11);
    EXPECT_EQ(ageGridRows({0.0, 10.0, 3.0}), 4);  // round(3.33) + 1: 0, 3, 6, 9
    EXPECT_EQ(ageGridRows({0.0, 11.0, 3.0}), 5);  // round(3.67) + 1: up to 12
    EXPECT_EQ(ageGridRows({5.0, 5.0, 1.0}), 1);
    EXPECT_EQ(ageGridRows({0.0, 1048574.0, 1.0}), 1048575);
    EXPECT_EQ(ageGridAges({1.0, 2.0, 0.25}), (std::vector<double>{1.0, 1.25, 1.5, 1.75, 2.0}));
    const auto message = [](const AgeGrid& grid) {
        try {
            ageGridRows(grid);
        } catch (const KestrelError& error) {
            return std::string(error.what());
        }
        return std::string("(accepted)");
    };
    EXPECT_EQ(message({0.0, 10.0, 0.0}), "The age grid's step must be above 0 (it is 0)");
    EXPECT_EQ(message({0.0, 10.0, -2.0}), "The age grid's step must be above 0 (it is -2)");
    EXPECT_EQ(message({10.0, 0.0, 1.0}),
              "The age grid must end at or after its start (it runs from 10 to 0)");
    EXPECT_EQ(message({0.0, 1048575.0, 1.0}),
              "The age grid from 0 to 1048575 in steps of 1 would have 1048576 rows; a sheet "
              "holds at most 1,048,575");
    EXPECT_EQ(message({0.0, 1e300, 1e-300}),
              "The age grid from 0 to 1e+300 in steps of 1e-300 would have inf rows; a sheet "
              "holds at most 1,048,575");
    EXPECT_EQ(message({0.0, NAN, 1.0}),
              "The age grid's start, end and step must be finite numbers");
    EXPECT_EQ(message({1e12, 1e12 + 1e-3, 1e-6}),
              "The age grid's step 1e-06 is too small for ages as large as 1e+12");
    DensityOptions options;
    options.grid = AgeGrid{0.0, 10.0, 0.0};
    EXPECT_THROW(buildDensityProfiles({GrainSample{"A", {1.0, 2.0}, {}}}, options), KestrelError);
    EXPECT_THROW(defaultAgeGrid(3.0, 3.0), KestrelError);
}

std::string refusal(const std::vector<GrainSample>& samples, const DensityOptions& options) {
    try {
        buildDensityProfiles(samples, options);
    } catch (const KestrelError& error) {
        return error.what();
    }
    return "(accepted)";
}

TEST(DensityProfiles, RefusalsNameTheSampleAndGrain) {
    DensityOptions pdp;
    pdp.kind = DensityKind::Pdp;
    const GrainSample good{"Good", {100.0, 200.0, 300.0}, {3.0, 4.0, 5.0}};
    EXPECT_EQ(refusal({good, {"Bad", {100.0, 200.0, 300.0}, {3.0, 0.0, 5.0}}}, pdp),
              "Sample \"Bad\": grain 2 has a 1-sigma uncertainty of 0; a probability density "
              "plot needs every one above 0");
    EXPECT_EQ(refusal({{"Neg", {100.0, 200.0}, {3.0, -1.5}}}, pdp),
              "Sample \"Neg\": grain 2 has a 1-sigma uncertainty of -1.5; a probability density "
              "plot needs every one above 0");
    EXPECT_EQ(refusal({{"Nan", {100.0}, {NAN}}}, pdp),
              "Sample \"Nan\": grain 1 has a 1-sigma uncertainty of nan; a probability density "
              "plot needs every one above 0");
    EXPECT_EQ(refusal({{"NoSigma", {100.0, 200.0}, {}}}, pdp),
              "Sample \"NoSigma\" has no 1-sigma uncertainties; a probability density plot needs "
              "one for every grain");
    // The first bad sample in order is named, whichever core meets it first.
    DensityOptions kde;
    EXPECT_EQ(refusal({good, {"Empty", {}, {}}, {"Inf", {1.0, INFINITY}, {}}}, kde),
              "Sample \"Empty\" has no ages");
    EXPECT_EQ(refusal({good, {"Inf", {1.0, INFINITY}, {}}}, kde),
              "Sample \"Inf\": the age of grain 2 is not a finite number");
    EXPECT_EQ(refusal({good, {"One", {5.0, 5.0, 5.0}, {}}, {"Two", {7.0}, {}}}, kde),
              "Sample \"One\" needs at least two different ages for the Botev bandwidth; type a "
              "bandwidth instead");
    kde.bandwidth = 0.0;
    EXPECT_EQ(refusal({good}, kde), "The bandwidth must be a number above 0 (it is 0)");
    kde.bandwidth = -3.0;
    kde.kind = DensityKind::AdaptiveKde;
    EXPECT_EQ(refusal({good}, kde), "The bandwidth must be a number above 0 (it is -3)");
    // One grain or equal ages are fine with a typed bandwidth; PDP ignores bandwidths.
    kde.bandwidth = 2.0;
    EXPECT_EQ(refusal({{"One", {5.0, 5.0, 5.0}, {}}, {"Two", {7.0}, {}}}, kde), "(accepted)");
    pdp.bandwidth = -1.0;
    EXPECT_EQ(refusal({good}, pdp), "(accepted)");
    EXPECT_EQ(refusal({}, pdp), "There are no samples to make profiles of");
    pdp.grid = AgeGrid{0.0, 10.0, 1.0};
    EXPECT_EQ(buildDensityProfiles({}, pdp).ages.size(), 11u);
    // Values beyond a double: refused rather than scaled into not-a-numbers.
    EXPECT_EQ(refusal({{"Tiny", {1.0}, {1e-310}}}, pdp),
              "Sample \"Tiny\": its profile's values are too large for a number (a 1-sigma or "
              "bandwidth too near 0)");
}

TEST(DensityProfiles, ScalingPutsTheHighestPointAtHundredAndLeavesZerosAlone) {
    std::vector<double> profile = {0.0, 0.3, 0.7, 0.1};
    scaleToHundred(profile);
    EXPECT_EQ(profile[2], 100.0);
    EXPECT_NEAR(profile[1], 300.0 / 7.0, 1e-12);
    std::vector<double> zeros(5, 0.0);
    scaleToHundred(zeros);
    EXPECT_EQ(zeros, std::vector<double>(5, 0.0));
    // A sample far off a given grid: every kernel is cut before the grid, the profile is zeros.
    DensityOptions options;
    options.kind = DensityKind::Pdp;
    options.grid = AgeGrid{0.0, 100.0, 1.0};
    const DensityProfiles got = buildDensityProfiles(
        {{"Near", {50.0}, {2.0}}, {"Far", {200.0, 300.0}, {2.0, 3.0}}}, options);
    EXPECT_EQ(got.profiles[1], std::vector<double>(101, 0.0));
    EXPECT_EQ(got.profiles[0][50], 100.0);
}

// The recurrence along the rows against the exponential, on a grid much finer than the kernel
// (restarts every 64 rows) and on a coarse one (row by row), and the cut at 7.74 widths.
TEST(DensityProfiles, KernelRowsAgreeWithTheExponentialAndStopAtTheCut) {
    EXPECT_DOUBLE_EQ(kKernelReach, std::sqrt(2.0 * std::log(1e13)));
    for (const auto& [step, width] : {std::pair{0.01, 25.0}, {1.0, 1.3}, {2.0, 0.5}, {3.0, 0.2}}) {
        const double from = -400.0, centre = 3.3;
        const auto rows = static_cast<size_t>(ageGridRows({from, 400.0, step}));
        std::vector<double> got(rows, 0.0);
        addNormalKernel(got, from, step, centre, width, 2.0);
        const double peak = 2.0 * kInverseSqrtTwoPi / width;
        double worst = 0.0;
        for (size_t r = 0; r < rows; ++r) {
            const double z = (from + static_cast<double>(r) * step - centre) / width;
            const double exact = std::fabs(z) <= kKernelReach ? peak * std::exp(-0.5 * z * z) : 0;
            worst = std::max(worst, std::fabs(got[r] - exact));
            if (std::fabs(z) > kKernelReach) {
                EXPECT_EQ(got[r], 0.0) << r;
            }
        }
        EXPECT_LE(worst, 2.5e-13 * peak) << step << " " << width;
    }
}

// The adaptive KDE's pilot, summed box by box by Taylor series, against the plain double sum:
// 1,500 ages crowded into two populations (hundreds of neighbours each) and a few far out.
TEST(DensityProfiles, KernelSumsAtTheAgesAgreeWithThePlainSum) {
    std::vector<double> ages;
    for (int i = 0; i < 1500; ++i) {
        const double u = std::sin(i * 12.9898) * 43758.5453;
        const double spread = u - std::floor(u) - 0.5;  // -0.5 .. 0.5
        ages.push_back(i % 3 == 0 ? 450.0 + 8.0 * spread : 1000.0 + 30.0 * spread * spread);
    }
    ages.insert(ages.end(), {100.0, 2000.0, 2000.0, 2000.5});
    for (double h : {0.05, 0.7, 6.0, 200.0}) {
        const std::vector<double> got = kernelSumAtAges(ages, h);
        ASSERT_EQ(got.size(), ages.size());
        double worst = 0.0;
        for (size_t i = 0; i < ages.size(); ++i) {
            long double sum = 0.0L;
            for (double other : ages) {
                const long double z = (static_cast<long double>(other) - ages[i]) / h;
                sum += std::exp(-0.5L * z * z);
            }
            const double expected = static_cast<double>(kInverseSqrtTwoPi / h * sum);
            worst = std::max(worst, std::fabs(got[i] - expected) / expected);
        }
        EXPECT_LE(worst, 1e-14) << "h = " << h;
    }
}

}  // namespace
}  // namespace kestrel
