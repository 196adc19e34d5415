// Kuiper's two-sample test with Stephens' finite-size correction.
#include "engine/measures/Kuiper.h"

#include <algorithm>
#include <cmath>

namespace kestrel {

double kuiperTail(double lambda) {
    if (!(lambda >= 0.4)) return std::isnan(lambda) ? lambda : 1.0;
    const double l2 = lambda * lambda;
    double sum = 0;
    for (int j = 1; j <= 100; ++j) {
        const double jj = static_cast<double>(j) * j;
        const double term = (4 * jj * l2 - 1) * std::exp(-2 * jj * l2);
        sum += term;
        if (std::abs(term) <= 1e-17 * std::abs(sum)) break;
    }
    return std::clamp(2 * sum, 0.0, 1.0);
}

KuiperTest kuiperTest(std::span<const double> a, std::span<const double> b) {
    return kuiperTestOf(static_cast<int64_t>(a.size()), static_cast<int64_t>(b.size()),
                        sampleGaps(a, b));
}

KuiperTest kuiperTestOf(int64_t n1, int64_t n2, const SampleGaps& gaps) {
    KuiperTest test;
    test.n1 = n1;
    test.n2 = n2;
    test.v = static_cast<double>(gaps.up + gaps.down) / static_cast<double>(gaps.lcm);
    test.p = kuiperP(n1, n2, test.v);
    return test;
}

double kuiperP(int64_t n1, int64_t n2, double v) {
    const double a = static_cast<double>(n1), b = static_cast<double>(n2);
    const double root = std::sqrt(a * b / (a + b));
    return kuiperTail((root + 0.155 + 0.24 / root) * v);
}

}  // namespace kestrel
