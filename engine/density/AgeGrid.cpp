// The age grid: its rows, its ages and the default grid with a round step.
#include "engine/density/AgeGrid.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <string>

#include "engine/KestrelError.h"
#include "engine/density/NormalKernels.h"

namespace kestrel {
namespace {

// The smallest step a grid may take for ages of that size: four units in the last place of the
// larger limit, so that every row's age differs from the next.
bool stepTooFine(double from, double to, double step) {
    return step < std::ldexp(std::max(std::fabs(from), std::fabs(to)), -50);
}

// 10^exponent, exact for the exponents a double holds exactly (|exponent| <= 22) and correctly
// rounded beyond: dividing by an exact power keeps 0.1, 0.25 and 0.5 as near as a double gets.
double roundStep(double mantissa, int exponent) {
    if (exponent >= 0) return mantissa * std::pow(10.0, exponent);
    return mantissa / std::pow(10.0, -exponent);
}

}  // namespace

int64_t ageGridRows(const AgeGrid& grid) {
    if (!std::isfinite(grid.from) || !std::isfinite(grid.to) || !std::isfinite(grid.step))
        throw KestrelError("The age grid's start, end and step must be finite numbers");
    if (!(grid.step > 0.0))
        throw KestrelError("The age grid's step must be above 0 (it is " +
                           messageNumber(grid.step) + ")");
    if (grid.to < grid.from)
        throw KestrelError("The age grid must end at or after its start (it runs from " +
                           messageNumber(grid.from) + " to " + messageNumber(grid.to) + ")");
    const double intervals = std::round((grid.to - grid.from) / grid.step);
    if (!(intervals + 1.0 <= static_cast<double>(kMaxAgeGridRows)))
        throw KestrelError("The age grid from " + messageNumber(grid.from) + " to " +
                           messageNumber(grid.to) + " in steps of " + messageNumber(grid.step) +
                           " would have " + messageNumber(intervals + 1.0) +
                           " rows; a sheet holds at most 1,048,575");
    if (stepTooFine(grid.from, grid.to, grid.step))
        throw KestrelError("The age grid's step " + messageNumber(grid.step) +
                           " is too small for ages as large as " +
                           messageNumber(std::max(std::fabs(grid.from), std::fabs(grid.to))));
    return static_cast<int64_t>(intervals) + 1;
}

std::vector<double> ageGridAges(const AgeGrid& grid) {
    const int64_t rows = ageGridRows(grid);
    std::vector<double> ages(static_cast<size_t>(rows));
    for (int64_t r = 0; r < rows; ++r)
        ages[static_cast<size_t>(r)] = grid.from + static_cast<double>(r) * grid.step;
    return ages;
}

AgeGrid defaultAgeGrid(double low, double high) {
    if (!std::isfinite(low) || !std::isfinite(high) || !(low < high) || !std::isfinite(high - low))
        throw KestrelError("No age grid can be chosen from " + messageNumber(low) + " to " +
                           messageNumber(high));
    constexpr int64_t kMostRows = 5000;
    constexpr std::array<double, 4> kMantissas = {1.0, 2.0, 2.5, 5.0};
    // From a power of ten below span / 10,000, where every grid has more than 5,000 rows,
    // upward through the round numbers until one fits; a step at least span / 4,998 fits.
    const double span = high - low;
    // (A span below 1e-300 starts at 1e-330, whose steps are 0 and skipped.)
    int exponent = static_cast<int>(std::max(-330.0, std::floor(std::log10(span / 10000.0))));
    for (;; ++exponent) {
        for (double mantissa : kMantissas) {
            const double step = roundStep(mantissa, exponent);
            if (!(step > 0.0)) continue;
            double first = std::floor(low / step);
            double last = std::ceil(high / step);
            // Outward in doubles too: first * step may round above low, last * step below high.
            if (first * step > low) first -= 1.0;
            if (last * step < high) last += 1.0;
            if (last - first + 1.0 > static_cast<double>(kMostRows)) continue;
            AgeGrid grid{first * step, last * step, step};
            if (stepTooFine(grid.from, grid.to, grid.step))
                throw KestrelError("No age grid can be chosen from " + messageNumber(low) + " to " +
                                   messageNumber(high) + ": the ages are too large for a step of " +
                                   messageNumber(step));
            return grid;
        }
    }
}

}  // namespace kestrel
