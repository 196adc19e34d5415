// Exact null distribution of the two-sample Kolmogorov-Smirnov statistic D for two samples of
// equal size n, and the critical values derived from it.
// Gnedenko, B. V. and Korolyuk, V. S. (1951). On the maximum discrepancy between two empirical
// distributions. Doklady Akademii Nauk SSSR 80, 525-528 (the alternating sum below).
#pragma once

#include <cstdint>

namespace kestrel {

/// @brief P(D >= k/n) for two samples of n values each (two-sided statistic):
/// 2 * sum over j >= 1 with n - j*k >= 0 of (-1)^(j+1) * C(2n, n - j*k) / C(2n, n).
/// 1 for k <= 0, 0 for k > n. The binomial ratios are taken in log space, so the result stays
/// accurate for n in the hundreds of thousands. n must be at least 1.
double ksTailProbability(int32_t n, int32_t k);

/// @brief P(D <= k/n) = 1 - P(D >= (k + 1)/n).
double ksCumulativeProbability(int32_t n, int32_t k);

/// @brief The smallest k in 1..n with P(D >= k/n) <= alpha, or 0 when no k qualifies.
int32_t ksCriticalCount(int32_t n, double alpha);

/// @brief The critical value of D at level alpha: ksCriticalCount(n, alpha) / n, or 1 (the
/// largest possible difference) when no k qualifies.
double ksCriticalValue(int32_t n, double alpha);

}  // namespace kestrel
