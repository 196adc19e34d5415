// The pair matrix and the MDS map: every D is the two-profile comparison's largest Difference
// bit for bit, whatever the number of threads; p-values come from the two-sample tail at the
// grain counts; the map reproduces a Euclidean matrix and its shares stay within 1.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "engine/ClassicalMds.h"
#include "engine/KestrelError.h"
#include "engine/KsTwoSample.h"
#include "engine/ProfileComparison.h"
#include "engine/SampleSizes.h"
#include "engine/comparison/ProfileMatrix.h"

using namespace kestrel;

namespace {

// Profiles of varied kinds: skewed random values over several magnitudes, an all-zero profile,
// one concentrated in a single row, and one with negative entries.
ProfileSamples variedSamples(int32_t rows) {
    std::mt19937_64 random(7);
    std::lognormal_distribution<double> skewed(0.0, 2.0);
    ProfileSamples samples;
    samples.NumRows = rows;
    for (int i = 0; i < 9; ++i) {
        std::vector<double> values(static_cast<size_t>(rows) + 1, 0.0);
        for (int32_t k = 1; k <= rows; ++k) {
            if (i < 6) values[static_cast<size_t>(k)] = skewed(random) * std::pow(10.0, i - 3);
            if (i == 7 && k == rows / 2) values[static_cast<size_t>(k)] = 5.0;
            if (i == 8) values[static_cast<size_t>(k)] = skewed(random) - 1.0;
        }
        samples.values.push_back(values);
        samples.names.push_back("P" + std::to_string(i));
    }
    return samples;
}

// The largest "Difference" of the ordinary two-profile comparison of profiles i and j.
double twoProfileLargestDifference(const ProfileSamples& s, size_t i, size_t j) {
    ProfileData data;
    data.resize(s.NumRows);
    for (int32_t k = 1; k <= s.NumRows; ++k) {
        data.AgeData[static_cast<size_t>(k)] = k;
        data.Y1Data[static_cast<size_t>(k)] = s.values[i][static_cast<size_t>(k)];
        data.Y2Data[static_cast<size_t>(k)] = s.values[j][static_cast<size_t>(k)];
    }
    ComparisonHooks hooks;
    hooks.criticalValue = [](int32_t) { return 0.0; };
    compareProfiles(data, SubdivisionParameters{}, hooks);
    return *std::max_element(data.Difference.begin() + 1, data.Difference.end());
}

TEST(ProfileMatrix, EveryDIsTheTwoProfileLargestDifferenceExactlyOnAnyNumberOfThreads) {
    for (const int32_t rows : {1, 7, 1001}) {
        const ProfileSamples samples = variedSamples(rows);
        const ProfileMatrix one = compareAllPairs(samples, 1);
        const ProfileMatrix three = compareAllPairs(samples, 3);
        EXPECT_EQ(one.D().values, three.D().values) << rows << " rows";
        EXPECT_EQ(one.names, samples.names);
        EXPECT_FALSE(one.p().has_value());
        const size_t k = samples.values.size();
        for (size_t i = 0; i < k; ++i) {
            EXPECT_EQ(one.D().at(int32_t(i), int32_t(i)), 0.0);
            for (size_t j = 0; j < k; ++j) {
                if (i == j) continue;
                // Bitwise: the same additions in the same order give the same double.
                EXPECT_EQ(one.D().at(int32_t(i), int32_t(j)),
                          twoProfileLargestDifference(samples, i, j))
                    << "pair " << i << ", " << j << " over " << rows << " rows";
            }
        }
    }
}

TEST(ProfileMatrix, PValuesAreTheTwoSampleTailsAtTheGrainCounts) {
    ProfileSamples samples = variedSamples(200);
    samples.grains = std::vector<int32_t>{10, 60, 60, 250, 3000, 45, 7, 1, 900};
    const ProfileMatrix matrix = compareAllPairs(samples, 2);
    ASSERT_TRUE(matrix.p().has_value());
    const auto& g = *samples.grains;
    for (int32_t i = 0; i < 9; ++i) {
        EXPECT_EQ(matrix.p()->at(i, i), 1.0);
        for (int32_t j = i + 1; j < 9; ++j) {
            const double expected =
                ksTwoSampleTail(g[size_t(i)], g[size_t(j)], matrix.D().at(i, j)).p;
            EXPECT_EQ(matrix.p()->at(i, j), expected);
            EXPECT_EQ(matrix.p()->at(j, i), expected);
        }
    }
}

TEST(ProfileMatrix, RefusesWhatCannotBeCompared) {
    const auto refusal = [](ProfileSamples samples) -> std::string {
        try {
            compareAllPairs(samples);
        } catch (const KestrelError& e) {
            return e.what();
        }
        return "no refusal";
    };
    ProfileSamples samples = variedSamples(5);
    ProfileSamples single = samples;
    single.values.resize(1);
    single.names.resize(1);
    EXPECT_EQ(refusal(single), "Give at least two profile columns to compare");
    ProfileSamples shortColumn = samples;
    shortColumn.values[3].resize(3);
    EXPECT_EQ(refusal(shortColumn), "The profile P3 holds fewer than 5 rows");
    ProfileSamples badGrains = samples;
    badGrains.grains = std::vector<int32_t>(9, 5);
    (*badGrains.grains)[4] = 0;
    EXPECT_NE(refusal(badGrains).find("Incorrect grain count for P4: 0"), std::string::npos);
    (*badGrains.grains)[4] = kMaxGrains + 1;
    EXPECT_NE(refusal(badGrains).find("Incorrect grain count for P4: 1000001"), std::string::npos);
    (*badGrains.grains)[4] = kMaxGrains;
    EXPECT_EQ(refusal(badGrains), "no refusal");
    badGrains.grains->resize(8);
    EXPECT_EQ(refusal(badGrains), "Give one grain count per profile: 9 profiles, 8 grain counts");
    // At most 1,000 profiles at once.
    ProfileSamples many;
    many.NumRows = 1;
    many.values.assign(1000, {0.0, 1.0});
    for (int i = 0; i < 1000; ++i) many.names.push_back("P" + std::to_string(i));
    EXPECT_EQ(refusal(many), "no refusal");
    many.values.push_back({0.0, 1.0});
    many.names.push_back("P1000");
    EXPECT_EQ(refusal(many), "Too many profile columns: 1001 (at most 1000 are compared at once)");
}

// Every row is looked at, whichever of the four running maxima or the rows after them holds it,
// and a difference that is no number makes D no number.
TEST(ProfileMatrix, LargestDifferenceSeesEveryRowAndEveryNaN) {
    for (int32_t n = 1; n <= 9; ++n) {
        for (int32_t at = 1; at <= n; ++at) {
            std::vector<double> a(static_cast<size_t>(n) + 1, 0.25), b(a.size(), 0.5);
            b[static_cast<size_t>(at)] = 1.0;
            EXPECT_EQ(largestDifference(a.data(), b.data(), n), 0.75) << n << " rows, at " << at;
            a[static_cast<size_t>(at)] = std::nan("");
            EXPECT_TRUE(std::isnan(largestDifference(a.data(), b.data(), n)))
                << n << " rows, at " << at;
        }
    }
}

SquareMatrix distancesOf(const std::vector<std::array<double, 3>>& points) {
    const auto k = static_cast<int32_t>(points.size());
    SquareMatrix d{k, std::vector<double>(size_t(k) * size_t(k))};
    for (int32_t i = 0; i < k; ++i) {
        for (int32_t j = 0; j < k; ++j) {
            double sum = 0;
            for (int c = 0; c < 3; ++c) {
                const double diff = points[size_t(i)][size_t(c)] - points[size_t(j)][size_t(c)];
                sum += diff * diff;
            }
            d.values[size_t(i) * size_t(k) + size_t(j)] = std::sqrt(sum);
        }
    }
    return d;
}

TEST(ClassicalMds, ReproducesPlanarDistancesAndKeepsSharesWithinOne) {
    std::mt19937_64 random(11);
    std::uniform_real_distribution<double> coordinate(-3.0, 3.0);
    std::vector<std::array<double, 3>> planar, spatial;
    for (int i = 0; i < 12; ++i) {
        planar.push_back({coordinate(random), 0.3 * coordinate(random), 0.0});
        spatial.push_back({coordinate(random), coordinate(random), coordinate(random)});
    }
    // Points in a plane: the map holds their distances exactly and all of the variance.
    const SquareMatrix d = distancesOf(planar);
    const MdsMap map = classicalMds(d);
    for (int32_t i = 0; i < 12; ++i) {
        for (int32_t j = 0; j < 12; ++j) {
            const double dx = map.points[size_t(i)][0] - map.points[size_t(j)][0];
            const double dy = map.points[size_t(i)][1] - map.points[size_t(j)][1];
            EXPECT_NEAR(std::hypot(dx, dy), d.at(i, j), 1e-9);
        }
    }
    EXPECT_NEAR(map.varianceShare[0] + map.varianceShare[1], 1.0, 1e-12);
    EXPECT_GT(map.varianceShare[0], map.varianceShare[1]);  // the long axis comes first
    // Each axis is turned so that its coordinate largest in size is positive.
    for (size_t axis = 0; axis < 2; ++axis) {
        const auto largest = std::max_element(
            map.points.begin(), map.points.end(),
            [&](const auto& a, const auto& b) { return std::fabs(a[axis]) < std::fabs(b[axis]); });
        EXPECT_GT((*largest)[axis], 0.0) << "axis " << axis + 1;
    }
    // Dissimilarities no point set holds: B's eigenvalues are 4.5, 0.5, 0 and -1.5 (numpy's
    // eigh). The shares are taken over the positive ones alone.
    const MdsMap bent =
        classicalMds(SquareMatrix{4, {0, 1, 1, 1, 1, 0, 1, 3, 1, 1, 0, 1, 1, 3, 1, 0}});
    EXPECT_NEAR(bent.varianceShare[0], 0.9, 1e-12);
    EXPECT_NEAR(bent.varianceShare[1], 0.1, 1e-12);
    // Points in space: two axes hold part of the variance only.
    const MdsMap flat = classicalMds(distancesOf(spatial));
    EXPECT_LT(flat.varianceShare[0] + flat.varianceShare[1], 1.0);
    EXPECT_GT(flat.varianceShare[1], 0.0);
    // The order of the heat map follows axis 1.
    const std::vector<int32_t> order = orderByFirstAxis(map);
    for (size_t i = 1; i < order.size(); ++i) {
        EXPECT_LE(map.points[size_t(order[i - 1])][0], map.points[size_t(order[i])][0]);
    }
    // Two identical samples: no spread at all, both at the origin.
    const MdsMap same = classicalMds(SquareMatrix{2, {0, 0, 0, 0}});
    EXPECT_EQ(same.varianceShare[0], 0.0);
    EXPECT_EQ(same.points[1][0], 0.0);
    EXPECT_THROW(classicalMds(SquareMatrix{2, {0, std::nan(""), std::nan(""), 0}}), KestrelError);
}

}  // namespace
