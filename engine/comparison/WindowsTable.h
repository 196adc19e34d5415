// The windows table: one row per evaluated window (the whole range first, then the reported
// windows in order) with its sample sizes, largest difference, critical value and p-value.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "engine/KsTwoSample.h"
#include "engine/ProfileComparison.h"
#include "engine/SampleSizes.h"
#include "engine/comparison/GrainWindows.h"
#include "engine/comparison/ProfileMatrix.h"

namespace kestrel {

struct WindowsTableRow {
    int32_t first = 0, last = 0;  // positions
    double firstAge = 0, lastAge = 0;
    int32_t rows = 0;          // last - first + 1
    int64_t n1 = 0, n2 = 0;    // sample sizes tested with
    double d = 0;              // largest difference inside the window
    double criticalValue = 0;  // the one the comparison used (0 when the table lacked it)
    double p = 1;              // P(D' >= d) for n1, n2
    bool beyond = false;       // d > criticalValue, the rule of the graphs' marks
    KsMethod method = KsMethod::Exact;
    /// The window's own grains tested, when the profiles were built from grain ages.
    std::optional<GrainWindowTest> grains;
    /// Other measures of the two profiles over the window's rows, when asked for, in the order
    /// of the table of measures (not a number where one has no value).
    std::vector<std::pair<Measure, double>> measures;
};

/// @brief "First", "First age", "Last", "Last age", "Rows", "n1", "n2", "D", "Critical value",
/// "p", "Beyond", "Method".
const std::array<std::string, 12>& windowsTableHeaders();

/// @brief The rows of a finished comparison: the whole range (D the largest Difference, its
/// Cutoff) and then every window of `windows` (D the largest DifferenceW inside it, its cutoff),
/// sample sizes by windowSampleSizes().
std::vector<WindowsTableRow> buildWindowsTable(const ProfileData& data,
                                               const std::vector<ProfileWindow>& windows,
                                               const std::optional<GrainCounts>& grains);

/// @brief "yes" or "no".
const char* beyondText(bool beyond);

}  // namespace kestrel
