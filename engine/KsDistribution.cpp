// Exact two-sample Kolmogorov-Smirnov tail probabilities for equal sample sizes, with the
// binomial ratios C(2n, n - m) / C(2n, n) evaluated in log space without cancellation.
#include "engine/KsDistribution.h"

#include <math.h>

#include <algorithm>
#include <cmath>

namespace kestrel {
namespace {

// Below this factorial argument the Stirling series is not accurate to double precision.
constexpr int64_t kStirlingFrom = 20;

// The remainder of Stirling's series for ln x!: ln x! = (x + 1/2) ln x - x + ln(2 pi) / 2 +
// stirlingCorrection(x). Its truncation error is below 1e-15 for x >= 20.
double stirlingCorrection(double x) {
    const double r = 1.0 / x;
    const double r2 = r * r;
    return r * (1.0 / 12 - r2 * (1.0 / 360 - r2 * (1.0 / 1260 - r2 * (1.0 / 1680))));
}

// ln Γ(x) for x > 0. std::lgamma stores the sign of Γ in the global `signgam`, a data race when
// pairs of samples are tested on several threads at once; lgamma_r (the same computation in
// glibc) hands the sign back instead.
double logGamma(double x) {
    int sign = 0;
    return ::lgamma_r(x, &sign);
}

// ln( C(2n, n - m) / C(2n, n) ) = ln( n! n! / ((n - m)! (n + m)!) ) for 0 <= m <= n.
double logBinomialRatio(int64_t n, int64_t m) {
    if (m == 0) return 0.0;
    const double dn = static_cast<double>(n);
    const double dm = static_cast<double>(m);
    if (n - m < kStirlingFrom) {
        // The ratio is below 4^-(n - 20) here, so lgamma's absolute error is immaterial.
        return 2 * logGamma(dn + 1) - logGamma(dn - dm + 1) - logGamma(dn + dm + 1);
    }
    // With Stirling's form the ln n and -x parts cancel exactly, leaving two log1p terms whose
    // sum is about -m^2/n: no subtraction of large, nearly equal numbers.
    const double ratio = dm / dn;
    const double mainPart =
        (dn - dm + 0.5) * std::log1p(-ratio) + (dn + dm + 0.5) * std::log1p(ratio);
    const double correction =
        stirlingCorrection(dn - dm) + stirlingCorrection(dn + dm) - 2 * stirlingCorrection(dn);
    return -mainPart - correction;
}

// Standard asymptotic constant c(alpha) of the Kolmogorov distribution: sqrt(-ln(alpha/2)/2).
double asymptoticConstant(double alpha) {
    return std::sqrt(-0.5 * std::log(alpha / 2));
}

}  // namespace

double ksTailProbability(int32_t n, int32_t k) {
    if (k <= 0) return 1.0;
    if (n < 1 || k > n) return 0.0;
    // Alternating series with terms decreasing in j: once a term is negligible against the
    // first one, the rest cannot change the sum.
    double sum = 0.0;
    double firstTerm = 0.0;
    double sign = 1.0;
    for (int64_t m = k; m <= n; m += k) {
        const double term = std::exp(logBinomialRatio(n, m));
        if (m == k)
            firstTerm = term;
        else if (term < 1e-18 * firstTerm)
            break;
        sum += sign * term;
        sign = -sign;
    }
    // Rounding in the long alternating sums of small k may stray just outside [0, 1].
    return std::clamp(2 * sum, 0.0, 1.0);
}

double ksCumulativeProbability(int32_t n, int32_t k) {
    if (k < 0) return 0.0;
    if (k >= n) return 1.0;
    return 1.0 - ksTailProbability(n, k + 1);
}

int32_t ksCriticalCount(int32_t n, double alpha) {
    if (n < 1 || !(alpha > 0)) return 0;
    if (alpha >= 1) return 1;
    // Start at the asymptotic value and walk: the tail probability does not grow with k, so the
    // walk ends at the smallest qualifying k after a step or two.
    const double estimate = std::ceil(asymptoticConstant(alpha) * std::sqrt(2.0 * n));
    int32_t k = static_cast<int32_t>(std::clamp(estimate, 1.0, static_cast<double>(n)));
    if (ksTailProbability(n, k) <= alpha) {
        while (k > 1 && ksTailProbability(n, k - 1) <= alpha) --k;
        return k;
    }
    while (k <= n && ksTailProbability(n, k) > alpha) ++k;
    return k <= n ? k : 0;
}

double ksCriticalValue(int32_t n, double alpha) {
    const int32_t k = ksCriticalCount(n, alpha);
    if (k == 0) return 1.0;
    return static_cast<double>(k) / n;
}

}  // namespace kestrel
