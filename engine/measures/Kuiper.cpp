// Kuiper's two-sample test with Stephens' finite-size correction.
#include "engine/measures/Kuiper.h"

#include <algorithm>
#include <cmath>

#include "engine/measures/SampleDistance.h"

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
    const SampleGaps gaps = sampleGaps(a, b);
    KuiperTest test;
    test.n1 = static_cast<int64_t>(a.size());
    test.n2 = static_cast<int64_t>(b.size());
    test.v = static_cast<double>(gaps.up + gaps.down) / static_cast<double>(gaps.lcm);
    const double n1 = static_cast<double>(test.n1), n2 = static_cast<double>(test.n2);
    const double root = std::sqrt(n1 * n2 / (n1 + n2));
    test.p = kuiperTail((root + 0.155 + 0.24 / root) * test.v);
    return test;
}

}  // namespace kestrel
