// Two-sample Kolmogorov-Smirnov test of age lists.
#include "engine/measures/KsSamples.h"

#include <algorithm>

namespace kestrel {

KsSamplesTest ksSamplesTest(std::span<const double> a, std::span<const double> b) {
    return ksSamplesTestOf(static_cast<int64_t>(a.size()), static_cast<int64_t>(b.size()),
                           sampleGaps(a, b));
}

KsSamplesTest ksSamplesTestOf(int64_t n1, int64_t n2, const SampleGaps& gaps) {
    KsSamplesTest test;
    test.n1 = n1;
    test.n2 = n2;
    const int64_t h = std::max(gaps.up, gaps.down);
    test.d = static_cast<double>(h) / static_cast<double>(gaps.lcm);
    test.ties = gaps.ties;
    test.method = ksMethodFor(test.n1, test.n2);
    // On the lattice itself: no rounding of D can move it to a neighbouring step.
    test.p = test.method == KsMethod::Exact ? ksTwoSampleExactTail(test.n1, test.n2, h)
                                            : ksTwoSampleTail(test.n1, test.n2, test.d).p;
    return test;
}

const char* ksSamplesMethodName(const KsSamplesTest& test) {
    if (test.method == KsMethod::Asymptotic) return ksMethodName(KsMethod::Asymptotic);
    return test.ties ? "exact (ties)" : ksMethodName(KsMethod::Exact);
}

}  // namespace kestrel
