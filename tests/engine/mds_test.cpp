// Nonmetric MDS, stress-1 and nearest neighbours: the nonmetric map against scikit-learn's from
// the same classical start (tests/engine/mds_sklearn_oracle.py), stress-1 against numpy, the
// neighbours against a brute-force search, and the work for 200 samples.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "engine/ClassicalMds.h"
#include "engine/KestrelError.h"
#include "engine/MdsStress.h"
#include "engine/NearestNeighbours.h"
#include "engine/NonmetricMds.h"
#include "tests/engine/CommandOutput.h"
#include "tests/engine/PlanarMatrix.h"

using namespace kestrel;
using kestrel::testsupport::planarMatrix;

namespace {

struct OracleCase {
    SquareMatrix d;
    double sklearnStress1 = 0, sklearnOwnStress = 0, classicalStress1 = 0;
    MdsMap randomMap;
    double randomMapStress = 0;
};

std::vector<double> numbers(std::istringstream& in) {
    std::vector<double> values;
    for (double x; in >> x;) values.push_back(x);
    return values;
}

std::vector<OracleCase> oracleCases() {
    const std::string command =
        "/usr/bin/python3 '" KESTREL_SOURCE_DIR "/tests/engine/mds_sklearn_oracle.py'";
    const std::string text = kestrel::testsupport::commandOutput(command);
    std::vector<OracleCase> cases;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        std::istringstream in(line.substr(2));
        if (line[0] == 'D') {
            OracleCase& c = cases.emplace_back();
            in >> c.d.size;
            c.d.values = numbers(in);
        }
        if (line[0] == 'N') {
            in >> cases.back().sklearnStress1 >> cases.back().sklearnOwnStress;
            double iterations = 0;
            in >> iterations >> cases.back().classicalStress1;
        }
        if (line[0] == 'P') {
            const std::vector<double> xy = numbers(in);
            for (size_t i = 0; i + 1 < xy.size(); i += 2)
                cases.back().randomMap.points.push_back({xy[i], xy[i + 1]});
        }
        if (line[0] == 'S') in >> cases.back().randomMapStress;
    }
    return cases;
}

// Pairs of smaller dissimilarity never get a larger disparity: sorted by dissimilarity (ties by
// disparity), the disparities do not fall.
bool monotone(const std::vector<double>& dissimilarities, const std::vector<double>& disparities) {
    std::vector<std::pair<double, double>> pairs;
    for (size_t p = 0; p < dissimilarities.size(); ++p)
        pairs.emplace_back(dissimilarities[p], disparities[p]);
    std::sort(pairs.begin(), pairs.end());
    return std::is_sorted(pairs.begin(), pairs.end(),
                          [](const auto& a, const auto& b) { return a.second < b.second; });
}

// Primary approach: some pairs of equal dissimilarity were given different disparities.
bool tiesSplit(const std::vector<double>& dissimilarities, const std::vector<double>& disparities) {
    for (size_t p = 0; p < dissimilarities.size(); ++p) {
        for (size_t q = p + 1; q < dissimilarities.size(); ++q) {
            if (dissimilarities[p] == dissimilarities[q] && disparities[p] != disparities[q])
                return true;
        }
    }
    return false;
}

}  // namespace

TEST(NonmetricMds, NoWorseThanSklearnOrTheClassicalMapWithMonotoneDisparities) {
    const std::vector<OracleCase> cases = oracleCases();
    ASSERT_EQ(cases.size(), 3u) << "the scikit-learn oracle did not run";
    for (const OracleCase& c : cases) {
        SCOPED_TRACE("K = " + std::to_string(c.d.size));
        const MdsMap classical = classicalMds(c.d);
        const NonmetricMdsResult result = nonmetricMds(c.d, classical);
        EXPECT_LE(result.stress, c.sklearnStress1 + 1e-6);
        EXPECT_LE(result.stress, c.classicalStress1 + 1e-12);
        EXPECT_LE(result.stress, metricStress(c.d, classical));
        EXPECT_GT(result.iterations, 0);
        EXPECT_LE(result.iterations, 1000);
        const std::vector<double> distances = pairDistances(result.map);
        EXPECT_NEAR(result.stress, stress1(result.disparities, distances), 1e-12);
        EXPECT_TRUE(monotone(pairDissimilarities(c.d), result.disparities));
        // The KS-like matrix (K = 20) has many equal statistics.
        if (c.d.size == 20) {
            EXPECT_TRUE(tiesSplit(pairDissimilarities(c.d), result.disparities));
        }
        // On the dissimilarities' scale, not shrunk towards a point.
        double mapSquares = 0, dissimilaritySquares = 0;
        for (const double x : distances) mapSquares += x * x;
        for (const double x : pairDissimilarities(c.d)) dissimilaritySquares += x * x;
        EXPECT_NEAR(mapSquares / dissimilaritySquares, 1.0, 0.1);
        // Principal axes: axis 1 the wider.
        EXPECT_NEAR(result.map.varianceShare[0] + result.map.varianceShare[1], 1.0, 1e-12);
        EXPECT_GE(result.map.varianceShare[0], result.map.varianceShare[1]);
        EXPECT_EQ(nonmetricMds(c.d, classical).map.points, result.map.points);
    }
}

TEST(NonmetricMds, RefusalsAndMatricesWithNothingToImprove) {
    const SquareMatrix one{1, {0.0}};
    EXPECT_THROW(nonmetricMds(one, MdsMap{{{0.0, 0.0}}, {}, {}, {}}), KestrelError);
    SquareMatrix pair{2, {0.0, 3.0, 3.0, 0.0}};
    EXPECT_THROW(nonmetricMds(pair, MdsMap{{{0.0, 0.0}}, {}, {}, {}}), KestrelError);
    const NonmetricMdsResult two = nonmetricMds(pair, classicalMds(pair));
    EXPECT_EQ(two.stress, 0.0);
    EXPECT_NEAR(pairDistances(two.map)[0], 3.0, 1e-12);
    const SquareMatrix zeros{3, std::vector<double>(9, 0.0)};
    EXPECT_EQ(nonmetricMds(zeros, classicalMds(zeros)).stress, 0.0);
    const MdsMap start = classicalMds(pair);
    pair.values[1] = std::nan("");
    EXPECT_THROW(nonmetricMds(pair, start), KestrelError);
}

// 200 points of a plane, dissimilarities a monotone function of their distances: a map of
// stress-1 near 0 exists, and the work is held to the iteration bound (the speed is bench.sh's).
TEST(NonmetricMds, TwoHundredSamplesWithinTheIterationBound) {
    const SquareMatrix d = planarMatrix(200, 11);
    const MdsMap classical = classicalMds(d);
    const NonmetricMdsResult result = nonmetricMds(d, classical);
    RecordProperty("iterations", result.iterations);
    EXPECT_LE(result.iterations, NonmetricMdsOptions{}.maxIterations);
    EXPECT_LT(result.stress, 1e-5) << result.iterations << " iterations";
    const NonmetricMdsResult capped = nonmetricMds(d, classical, {.maxIterations = 40});
    EXPECT_EQ(capped.iterations, 40);
    EXPECT_LT(capped.stress, metricStress(d, classical));
    EXPECT_GE(capped.stress, result.stress);
}

TEST(MdsStress, StressOfAGivenMapMatchesNumpyAndShepardPairsAreSorted) {
    const std::vector<OracleCase> cases = oracleCases();
    ASSERT_EQ(cases.size(), 3u) << "the scikit-learn oracle did not run";
    for (const OracleCase& c : cases) {
        EXPECT_NEAR(metricStress(c.d, c.randomMap), c.randomMapStress, 1e-12);
        const ShepardData shepard = shepardData(c.d, c.randomMap);
        const size_t k = static_cast<size_t>(c.d.size);
        ASSERT_EQ(shepard.pairs.size(), k * (k - 1) / 2);
        EXPECT_FALSE(shepard.hasDisparities);
        for (size_t n = 0; n < shepard.pairs.size(); ++n) {
            const ShepardPair& p = shepard.pairs[n];
            if (n > 0) {
                EXPECT_LE(shepard.pairs[n - 1].dissimilarity, p.dissimilarity);
            }
            EXPECT_EQ(p.dissimilarity, c.d.at(p.i, p.j));
            EXPECT_EQ(p.disparity, p.dissimilarity) << "a map without disparities";
            const auto& a = c.randomMap.points[static_cast<size_t>(p.i)];
            const auto& b = c.randomMap.points[static_cast<size_t>(p.j)];
            EXPECT_NEAR(p.distance, std::hypot(a[0] - b[0], a[1] - b[1]), 1e-15);
        }
    }
    EXPECT_EQ(stress1({0.0, 0.0}, {0.0, 0.0}), 0.0);
    EXPECT_EQ(stress1({1.0, 0.0}, {0.0, 0.0}), std::numeric_limits<double>::infinity());
    EXPECT_THROW(stress1({1.0}, {1.0, 2.0}), KestrelError);
}

TEST(NearestNeighbours, MatchABruteForceSearchWithTies) {
    std::mt19937_64 random(5);
    std::uniform_int_distribution<int> small(0, 3);
    for (int32_t k = 2; k <= 9; ++k) {
        SquareMatrix d{k, std::vector<double>(static_cast<size_t>(k * k), 0.0)};
        for (int32_t i = 0; i < k; ++i) {
            for (int32_t j = i + 1; j < k; ++j) {
                d.values[static_cast<size_t>(i * k + j)] =
                    d.values[static_cast<size_t>(j * k + i)] = 0.25 * small(random);
            }
        }
        const std::vector<NearestNeighbours> found = nearestNeighbours(d);
        ASSERT_EQ(found.size(), static_cast<size_t>(k));
        for (int32_t i = 0; i < k; ++i) {
            std::vector<std::pair<double, int32_t>> others;
            for (int32_t j = 0; j < k; ++j)
                if (j != i) others.emplace_back(d.at(i, j), j);
            std::sort(others.begin(), others.end());
            const NearestNeighbours& n = found[static_cast<size_t>(i)];
            EXPECT_EQ(n.closest, others[0].second) << "K = " << k << ", sample " << i;
            EXPECT_EQ(n.closestDissimilarity, others[0].first);
            ASSERT_EQ(n.second.has_value(), k > 2);
            if (k == 2) {
                EXPECT_TRUE(std::isnan(n.secondDissimilarity));
                continue;
            }
            EXPECT_EQ(*n.second, others[1].second) << "K = " << k << ", sample " << i;
            EXPECT_EQ(n.secondDissimilarity, others[1].first);
        }
    }
    EXPECT_THROW(nearestNeighbours(SquareMatrix{1, {0.0}}), KestrelError);
    EXPECT_THROW(nearestNeighbours(SquareMatrix{2, {0.0, INFINITY, INFINITY, 0.0}}), KestrelError);
}

// Three tight groups far apart: the nonmetric map collapses each group to a point with a stress
// near 0, which collapsedMap() tells; a map of scattered points, or a good map of points of a
// plane, is no such map.
TEST(NonmetricMds, ACollapsedMapIsToldFromAGoodOne) {
    std::mt19937 random(3);
    std::uniform_real_distribution<double> jitter(0.0, 0.05);
    const int k = 15;
    SquareMatrix grouped{k, std::vector<double>(size_t(k) * k, 0.0)};
    for (int i = 0; i < k; ++i) {
        for (int j = i + 1; j < k; ++j) {
            const double d = (i / 5 == j / 5 ? 0.1 : 0.8) + jitter(random);
            grouped.values[size_t(i) * k + j] = grouped.values[size_t(j) * k + i] = d;
        }
    }
    const NonmetricMdsResult collapsed = nonmetricMds(grouped, classicalMds(grouped));
    EXPECT_LT(collapsed.stress, 0.01);
    EXPECT_TRUE(collapsedMap(collapsed.map, collapsed.stress));
    const MdsMap classical = classicalMds(grouped);
    EXPECT_FALSE(collapsedMap(classical, metricStress(grouped, classical)));
    // Points of a plane: a nonmetric map with a stress near 0 as well, but spread out.
    const SquareMatrix plane = planarMatrix(12, 5);
    const NonmetricMdsResult spread = nonmetricMds(plane, classicalMds(plane));
    ASSERT_LT(spread.stress, 0.01);
    EXPECT_FALSE(collapsedMap(spread.map, spread.stress));
}

// The map's signs, its rest and its Shepard pairs: each axis turned so that its largest
// coordinate is positive; a slowly converging matrix followed to where numpy's SMACOF comes to
// rest (tests/engine/mds_sklearn_oracle.py smacof), not stopped on the way; pairs of one
// dissimilarity listed by disparity.
TEST(NonmetricMds, AxesAreSignedRunsToRestAndShepardTiesFollowTheDisparities) {
    const SquareMatrix three{3, {0.0, 0.75, 0.75, 0.75, 0.0, 0.5, 0.75, 0.5, 0.0}};
    const MdsMap signedMap = nonmetricMds(three, classicalMds(three)).map;
    for (size_t axis = 0; axis < 2; ++axis) {
        double high = 0.0, low = 0.0;
        for (const auto& point : signedMap.points) {
            high = std::max(high, point[axis]);
            low = std::min(low, point[axis]);
        }
        EXPECT_GT(high, 0.0) << "axis " << axis + 1;
        EXPECT_GE(high, -low - 1e-12) << "axis " << axis + 1;
    }
    std::istringstream slow(kestrel::testsupport::commandOutput(
        "/usr/bin/python3 '" KESTREL_SOURCE_DIR "/tests/engine/mds_sklearn_oracle.py' smacof"));
    std::string tag;
    SquareMatrix d;
    double atRest = -1.0;
    slow >> tag >> d.size;
    for (int n = 0; n < d.size * d.size; ++n) slow >> d.values.emplace_back();
    slow >> tag >> atRest;
    ASSERT_EQ(tag, "X") << "the numpy oracle did not run";
    const NonmetricMdsResult rested = nonmetricMds(d, classicalMds(d));
    EXPECT_NEAR(rested.stress, atRest, 1e-7) << rested.iterations << " iterations";

    // d01 = 1, d02 = 2, d03 = 3, d12 = 2, d13 = 2, d23 = 1: three pairs tie at 2.
    const SquareMatrix tied{4, {0, 1, 2, 3, 1, 0, 2, 2, 2, 2, 0, 1, 3, 2, 1, 0}};
    const NonmetricMdsResult fitted = nonmetricMds(tied, classicalMds(tied));
    const ShepardData shepard = shepardData(tied, fitted.map, fitted.disparities);
    ASSERT_EQ(shepard.pairs.size(), 6u);
    for (size_t n = 1; n < shepard.pairs.size(); ++n) {
        const ShepardPair &before = shepard.pairs[n - 1], &pair = shepard.pairs[n];
        ASSERT_LE(before.dissimilarity, pair.dissimilarity);
        if (before.dissimilarity == pair.dissimilarity) {
            EXPECT_LE(before.disparity, pair.disparity) << "pairs " << n - 1 << " and " << n;
        }
    }
}
