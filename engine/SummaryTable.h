// The summary table's columns and the window log line.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "engine/ProfileData.h"

namespace kestrel {

/// @brief "Age", "Curve 1", "Curve 2", "Difference", "Difference (W)", "Cutoff", "Cutoff (W)".
const std::array<std::string, 7>& summaryHeaders();

/// @brief The seven values of position k: AgeData, Curve1, Curve2, Difference, DifferenceW,
/// Cutoff, CutoffW.
std::array<double, 7> summaryRow(const ProfileData& data, int32_t k);

/// @brief One window log line: first, 3 spaces, first age "####0.000", 5 spaces, last, 3 spaces,
/// last age "####0.000", "    n=", last-first+1, "    Cutoff = ", cutoff "#0.000"; numbers
/// with the given decimal separator.
std::string windowLogLine(int32_t first, double firstAge, int32_t last, double lastAge,
                          double cutoff, std::string_view decimalSeparator);

}  // namespace kestrel
