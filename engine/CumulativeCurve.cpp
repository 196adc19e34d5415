// The cumulative curve of a profile and the largest gap of two curves.
#include "engine/CumulativeCurve.h"

#include <algorithm>
#include <cmath>

namespace kestrel {
namespace {

// The two-profile comparison's offset, added once to each total so that an all-zero profile
// gives a curve of zeros, not 0/0.
constexpr double kTotalOffset = 1e-9;

}  // namespace

void cumulativeCurve(const double* values, int32_t n, double* curve) {
    if (n < 1) return;
    double sum = values[1];
    double total = kTotalOffset + values[1];
    curve[1] = sum;
    for (int32_t j = 2; j <= n; ++j) {
        sum = sum + values[j];
        total = total + values[j];
        curve[j] = sum;
    }
    for (int32_t j = 1; j <= n; ++j) curve[j] = curve[j] / total;
}

double largestDifference(const double* a, const double* b, int32_t n) {
    // Four running maxima so that the loop does not wait on one comparison after another.
    double best[4] = {0.0, 0.0, 0.0, 0.0};
    bool notANumber = false;
    int32_t k = 1;
    for (; k + 3 <= n; k += 4) {
        for (int lane = 0; lane < 4; ++lane) {
            const double d = std::fabs(a[k + lane] - b[k + lane]);
            notANumber |= d != d;
            best[lane] = d > best[lane] ? d : best[lane];
        }
    }
    for (; k <= n; ++k) {
        const double d = std::fabs(a[k] - b[k]);
        notANumber |= d != d;
        best[0] = d > best[0] ? d : best[0];
    }
    if (notANumber) return std::nan("");
    return std::max(std::max(best[0], best[1]), std::max(best[2], best[3]));
}

}  // namespace kestrel
