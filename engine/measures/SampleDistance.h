// The gaps between the empirical distribution functions of two age lists: what the two-sample
// Kolmogorov-Smirnov D and Kuiper's V are made of.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace kestrel {

/// @brief The largest gaps of F_a - F_b upwards and downwards, counted exactly on the lattice
/// of lcm(n_a, n_b): F_a(x) - F_b(x) = (i * lcm/n_a - j * lcm/n_b) / lcm after i ages of a and
/// j of b. Ties, within a sample or between the two, are stepped over at once, as the
/// functions step at them.
struct SampleGaps {
    int64_t lcm = 1;
    int64_t up = 0;     // lcm * max(F_a - F_b), >= 0
    int64_t down = 0;   // lcm * max(F_b - F_a), >= 0
    bool ties = false;  // some age lies in both samples
};

/// @brief The gaps of two non-empty age lists (any order; not numbers are refused with
/// KestrelError).
SampleGaps sampleGaps(std::span<const double> a, std::span<const double> b);

/// @brief The ages sorted ascending; an age that is not a number is refused with KestrelError.
std::vector<double> sortedAges(std::span<const double> ages);

/// @brief The same for lists already sorted ascending, none of them a not-a-number: what many
/// pairs of the same samples use, each sample sorted once. A not-a-number among them is refused
/// with KestrelError.
SampleGaps sortedSampleGaps(std::span<const double> a, std::span<const double> b);

}  // namespace kestrel
