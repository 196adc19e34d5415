// The exact two-sample Kolmogorov-Smirnov distribution and critical values, against published
// values, an independent count of lattice paths (small samples) and the reflection sum taken as
// products in long double (large samples).
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "engine/KsDistribution.h"
#include "tests/support/ReflectionSumOracle.h"

using kestrel::ksCriticalCount;
using kestrel::ksCriticalValue;
using kestrel::ksCumulativeProbability;
using kestrel::ksTailProbability;

namespace {

// P(D < k/n) by counting the monotone paths from (0,0) to (n,n) that stay strictly inside
// |i - j| < k, each of the C(2n, n) orderings of the pooled sample being equally likely.
double pathCountProbabilityBelow(int n, int k) {
    std::vector<double> row(n + 1, 0.0);
    for (int i = 0; i <= n; ++i) {
        for (int j = 0; j <= n; ++j) {
            if (std::abs(i - j) >= k) {
                row[j] = 0.0;
            } else if (i == 0 && j == 0) {
                row[j] = 1.0;
            } else {
                row[j] = (i > 0 ? row[j] : 0.0) + (j > 0 ? row[j - 1] : 0.0);
            }
        }
    }
    double total = 1.0;  // C(2n, n)
    for (int i = 1; i <= n; ++i) total = total * (n + i) / i;
    return row[n] / total;
}

}  // namespace

TEST(KsDistribution, TailProbabilityMatchesLatticePathCountForSmallSamples) {
    for (int n = 1; n <= 30; ++n) {
        for (int k = 1; k <= n; ++k) {
            const double expected = 1.0 - pathCountProbabilityBelow(n, k);
            EXPECT_NEAR(ksTailProbability(n, k), expected, 1e-12) << "n=" << n << " k=" << k;
        }
    }
}

TEST(KsDistribution, TailProbabilityStaysAProbabilityForLargeSamples) {
    EXPECT_EQ(ksTailProbability(50, 0), 1.0);
    EXPECT_EQ(ksTailProbability(50, 51), 0.0);
    double previous = 1.0;
    for (int k = 1; k <= 600; ++k) {  // long alternating sums for small k
        const double p = ksTailProbability(20000, k);
        ASSERT_LE(p, 1.0) << "k=" << k;
        ASSERT_LE(p, previous + 1e-12) << "k=" << k;  // rounding of long sums
        previous = p;
    }
    EXPECT_NEAR(ksTailProbability(65536, 1), 1.0, 1e-9);
}

TEST(KsDistribution, PublishedExactCriticalValuesAtFivePercent) {
    EXPECT_DOUBLE_EQ(ksCriticalValue(10, 0.05), 0.7);
    EXPECT_DOUBLE_EQ(ksCriticalValue(20, 0.05), 0.45);
    EXPECT_DOUBLE_EQ(ksCriticalValue(22, 0.05), 9.0 / 22);
    EXPECT_DOUBLE_EQ(ksCriticalValue(40, 0.05), 0.325);
    EXPECT_NEAR(ksCumulativeProbability(100, 10), 0.41699, 1e-5);
    EXPECT_NEAR(ksTailProbability(100, 11), 0.58301, 1e-5);
}

TEST(KsDistribution, NoQualifyingDifferenceGivesOneForTheSmallestSamples) {
    for (int n : {1, 2, 3}) {
        EXPECT_EQ(ksCriticalCount(n, 0.05), 0) << n;
        EXPECT_EQ(ksCriticalValue(n, 0.05), 1.0) << n;
    }
    // From n = 4 on, D = 1 itself is rare enough: P(D >= 1) = 2 / C(8, 4).
    EXPECT_NEAR(ksTailProbability(4, 4), 2.0 / 70, 1e-15);
    EXPECT_EQ(ksCriticalCount(4, 0.05), 4);
}

TEST(KsDistribution, CriticalCountIsTheSmallestQualifyingK) {
    for (int n : {4, 7, 13, 64, 333, 1000, 4999, 30011, 65536}) {
        const int k = ksCriticalCount(n, 0.05);
        ASSERT_GE(k, 1) << n;
        EXPECT_LE(ksTailProbability(n, k), 0.05) << n;
        EXPECT_GT(ksTailProbability(n, k - 1), 0.05) << n;
    }
    EXPECT_EQ(ksCriticalCount(100, 1.0), 1);
    EXPECT_EQ(ksCriticalCount(100, 0.0), 0);
}

TEST(KsDistribution, LargeSamplesApproachTheAsymptoticValue) {
    for (int n = 1000; n <= 65536; n += 997) {
        const double asymptotic = 1.3581 * std::sqrt(2.0 / n);
        EXPECT_NEAR(ksCriticalValue(n, 0.05), asymptotic, 2.0 / n) << "n=" << n;
    }
    EXPECT_NEAR(ksCriticalValue(65536, 0.05), 1.3581 * std::sqrt(2.0 / 65536), 2.0 / 65536);
}

TEST(KsDistribution, LargeSamplesMatchTheReflectionSumUpToTheSheetLimit) {
    // Sizes past the old table's end, the closest call to alpha of the whole range (329,806),
    // the sheet limit, and a stride through all of them.
    std::vector<int32_t> sizes = {65536, 65537, 70000, 329806, 1048575, 1048576};
    for (int32_t n = 70001; n < 1048576; n += 24989) sizes.push_back(n);
    for (const int32_t n : sizes) {
        const kestrel::testsupport::ReflectionSumOracle oracle(n);
        const int32_t k = oracle.criticalCount(0.05);
        EXPECT_EQ(ksCriticalCount(n, 0.05), k) << "n=" << n;
        for (const int32_t j : {k - 1, k}) {
            const long double exact = oracle.tail(j);
            EXPECT_NEAR(ksTailProbability(n, j), static_cast<double>(exact), 1e-11 * exact)
                << "n=" << n << " k=" << j;
        }
    }
}
