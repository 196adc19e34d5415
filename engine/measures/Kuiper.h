// Kuiper's two-sample statistic V of two age lists (Kuiper 1960): the largest gap of their
// empirical distribution functions upwards plus the largest downwards, as sensitive in the
// tails as in the middle. Its p-value comes from Kuiper's limiting distribution with Stephens'
// (1970) finite-size correction: lambda = (sqrt(en) + 0.155 + 0.24 / sqrt(en)) V, en =
// n1 n2 / (n1 + n2), P(V' >= V) = Q(lambda) = 2 sum_{j>=1} (4 j^2 lambda^2 - 1) exp(-2 j^2
// lambda^2).
#pragma once

#include <cstdint>
#include <span>

#include "engine/measures/SampleDistance.h"

namespace kestrel {

struct KuiperTest {
    int64_t n1 = 0, n2 = 0;
    double v = 0;  // in [0, 1]
    double p = 1;
};

/// @brief Q(lambda) of Kuiper's limiting distribution: 1 for lambda below 0.4, where the
/// series has not converged and the probability is 1 to double precision.
double kuiperTail(double lambda);

/// @brief The p-value of V for samples of n1 and n2 (Kuiper's limit at Stephens' corrected
/// lambda = (sqrt(n1 n2 / (n1 + n2)) + 0.155 + 0.24 / sqrt(n1 n2 / (n1 + n2))) V).
double kuiperP(int64_t n1, int64_t n2, double v);

/// @brief The test of ages `a` against ages `b` (each at least one age).
KuiperTest kuiperTest(std::span<const double> a, std::span<const double> b);

/// @brief The same test from the gaps of samples of n1 and n2 ages (sampleGaps()).
KuiperTest kuiperTestOf(int64_t n1, int64_t n2, const SampleGaps& gaps);

}  // namespace kestrel
