// Null distribution of the two-sample Kolmogorov-Smirnov statistic D for samples of sizes n1
// and n2: tail probabilities (p-values) and critical values, exact on the lattice of attainable
// values while n1 * n2 is small enough, asymptotic beyond.
// Smirnov, N. V. (1939). On the estimation of the discrepancy between empirical curves of
// distribution for two independent samples. Bulletin Mathematique de l'Universite de Moscou 2(2),
// 3-14. Hodges, J. L. (1958). The significance probability of the Smirnov two-sample test.
// Arkiv for Matematik 3, 469-486 (the exact count over lattice paths).
#pragma once

#include <cstdint>

namespace kestrel {

/// @brief The largest n1 * n2 for which probabilities are counted exactly.
inline constexpr int64_t kExactCellLimit = 10'000'000;

/// @brief The significance level of every critical value the comparison uses.
inline constexpr double kComparisonAlpha = 0.05;

enum class KsMethod { Exact, Asymptotic };

/// @brief "exact" or "asymptotic".
const char* ksMethodName(KsMethod method);

/// @brief The method used for sizes n1, n2 (both >= 1): exact while n1 * n2 <= kExactCellLimit.
KsMethod ksMethodFor(int64_t n1, int64_t n2);

struct KsProbability {
    double p = 1.0;
    KsMethod method = KsMethod::Exact;
};

/// @brief P(D' >= d) under the null hypothesis for samples of n1 and n2 values (both >= 1),
/// two-sided. Exact: d is taken to the smallest attainable value k / lcm(n1, n2) not below it
/// (values within 1e-7 / lcm of a lattice point count as that point), and the share of the
/// lattice paths from (0, 0) to (n1, n2) that reach it is counted; for n1 = n2 this is
/// ksTailProbability(). Asymptotic: the Kolmogorov distribution at
/// (sqrt(en) + 0.12 + 0.11 / sqrt(en)) * d with en = n1 n2 / (n1 + n2). d <= 0 gives 1; a d
/// that is not a number gives a p that is not a number.
KsProbability ksTwoSampleTail(int64_t n1, int64_t n2, double d);

/// @brief The exact tail for lattice index h: P(D' >= h / lcm(n1, n2)), 1 for h <= 0, 0 for
/// h > lcm. Cost about n1 * n2 steps at most (the paths' band only).
double ksTwoSampleExactTail(int64_t n1, int64_t n2, int64_t h);

/// @brief P(K > lambda) for the limiting Kolmogorov distribution.
double kolmogorovTail(double lambda);

/// @brief The critical value of D at level alpha for sizes n1, n2 (both >= 1): exact, the
/// smallest attainable d with P(D' >= d) <= alpha (ksCriticalValue() for n1 = n2), 1 when none
/// qualifies; asymptotic, lambda_alpha / (sqrt(en) + 0.12 + 0.11 / sqrt(en)).
double ksTwoSampleCriticalValue(int64_t n1, int64_t n2, double alpha);

}  // namespace kestrel
