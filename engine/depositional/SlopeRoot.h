// Where a smooth curve read on a grid turns: the root of its slope between two grid points,
// for the peaks and minima of the PDP and of a kernel density.
#pragma once

#include <algorithm>
#include <cmath>

namespace kestrel {

/// @brief The x in [below, above] where the slope changes sign, by Newton's method kept inside
/// the bracket by bisection, to `tolerance` in x. `slope(x, first, second)` gives the curve's
/// first and second derivatives at x. Returns `at` when the slope does not change sign
/// strictly between `below` and `above` (a flat stretch, a turn at the end of the grid).
template <typename Slope>
double slopeRoot(const Slope& slope, double below, double at, double above, double tolerance) {
    double atBelow = 0.0, atAbove = 0.0, unused = 0.0;
    slope(below, atBelow, unused);
    slope(above, atAbove, unused);
    if (!(atBelow * atAbove < 0.0)) return at;
    // Whichever side is which, keep one end where the slope is below 0 and one where above.
    double negative = atBelow < 0.0 ? below : above;
    double positive = atBelow < 0.0 ? above : below;
    double x = at;
    for (int iteration = 0; iteration < 200; ++iteration) {
        double g = 0.0, gPrime = 0.0;
        slope(x, g, gPrime);
        if (g == 0.0) return x;
        (g < 0.0 ? negative : positive) = x;
        const double lo = std::min(negative, positive), hi = std::max(negative, positive);
        double next = x - g / gPrime;
        // A Newton step shorter than the tolerance has converged, even one that rounds onto x.
        if (std::fabs(next - x) <= tolerance) return next;
        if (!(next > lo && next < hi)) next = 0.5 * (lo + hi);
        if (hi - lo <= tolerance) return next;
        x = next;
    }
    return x;
}

}  // namespace kestrel
