// The two-sample Kolmogorov-Smirnov test of two age lists: D, the largest gap between their
// empirical distribution functions, and P(D' >= D) under the null hypothesis of one parent
// distribution (Smirnov 1939). D is exactly what scipy.stats.ks_2samp computes.
#pragma once

#include <cstdint>
#include <span>

#include "engine/KsTwoSample.h"
#include "engine/measures/SampleDistance.h"

namespace kestrel {

struct KsSamplesTest {
    int64_t n1 = 0, n2 = 0;
    double d = 0;  // in [0, 1]
    double p = 1;  // P(D' >= d)
    KsMethod method = KsMethod::Exact;
    /// Some age lies in both samples: D counts both steps at once, and the exact count, made
    /// for samples without ties, is then an upper bound of p (a conservative test).
    bool ties = false;
};

/// @brief The test of ages `a` against ages `b` (each at least one age, none that is not a
/// number). p is the lattice-path count while n1 * n2 <= kExactCellLimit, else the Kolmogorov
/// limit with the finite-size correction: the windows table's rule.
KsSamplesTest ksSamplesTest(std::span<const double> a, std::span<const double> b);

/// @brief The same test from the gaps of samples of n1 and n2 ages (sampleGaps()).
KsSamplesTest ksSamplesTestOf(int64_t n1, int64_t n2, const SampleGaps& gaps);

/// @brief "exact", "exact (ties)" or "asymptotic".
const char* ksSamplesMethodName(const KsSamplesTest& test);

}  // namespace kestrel
