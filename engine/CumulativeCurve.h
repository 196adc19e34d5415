// A profile's cumulative curve as the two-profile comparison draws it, and the largest gap of
// two such curves: the Kolmogorov-Smirnov D of two profiles.
#pragma once

#include <cstdint>

namespace kestrel {

/// @brief The cumulative curve of values[1..n] into curve[1..n] (index 0 left as it is): running
/// sums in sheet order divided by the total, which carries 1e-9 once, added to the first value.
/// The additions and their order are those of the two-profile comparison, so the curve is the
/// one it draws for the same column, bit for bit.
void cumulativeCurve(const double* values, int32_t n, double* curve);

/// @brief The largest |a[k] - b[k]| over k = 1..n; not a number when any difference is not one.
double largestDifference(const double* a, const double* b, int32_t n);

}  // namespace kestrel
