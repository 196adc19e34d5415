// The age axis profiles are made on: evenly spaced ages from `from` to `to`, both ends included,
// and the default axis chosen for a set of samples.
#pragma once

#include <cstdint>
#include <vector>

namespace kestrel {

/// The most rows a grid may have: one sheet's rows below a heading (1,048,576 - 1).
inline constexpr int64_t kMaxAgeGridRows = 1048575;

/// @brief Ages from `from` to `to` in steps of `step`, in age units; both ends are included:
/// the grid has round((to - from) / step) + 1 rows and row r (from 0) is the age from + r * step.
/// When (to - from) / step is not a whole number the last row is the nearest multiple of the
/// step from `from`, which may lie a little before or after `to`.
struct AgeGrid {
    double from = 0.0;
    double to = 0.0;
    double step = 1.0;
};

/// @brief The number of rows of the grid. Throws KestrelError for a grid that is not one: a
/// limit that is not a finite number, a step not above 0, `to` before `from`, more than
/// kMaxAgeGridRows rows, or a step too small for ages of that size to stay distinct (below
/// about 2^-50 of the larger limit's size).
int64_t ageGridRows(const AgeGrid& grid);

/// @brief The ages of the grid's rows, from + r * step for r = 0 .. rows - 1 (computed exactly
/// so, which is what every profile is evaluated at). Throws as ageGridRows does.
std::vector<double> ageGridAges(const AgeGrid& grid);

/// @brief The default grid over [low, high]: the step is the smallest round number (1, 2, 2.5
/// or 5 times a power of ten) for which the grid, its ends rounded outward to multiples of the
/// step (from = floor(low / step) * step, to = ceil(high / step) * step), has at most 5,000
/// rows; such a grid has more than 2,500 rows (the round number below is at least half as
/// large and gives more than 5,000). Throws KestrelError unless low < high, both finite, and
/// for ages too large for a step that fine (see ageGridRows).
AgeGrid defaultAgeGrid(double low, double high);

}  // namespace kestrel
