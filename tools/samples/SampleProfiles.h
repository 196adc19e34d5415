// Synthetic age-probability profiles for the shipped sample workbooks and for benchmark
// workbooks: sums of Gaussian peaks with a little deterministic noise.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "sheet/core/SpreadsheetCore.h"

namespace kestrel::samples {

/// @brief One data row of a profile pair (ages in age units, values in profile units).
struct ProfileRow {
    double age = 0, y1 = 0, y2 = 0;
};

/// @brief Rows for ages 0, step, 2·step, ... up to 4000 (inclusive when it falls on a step).
/// Both profiles share every peak but one, which profile 2 has shifted to a later age and
/// lowered; values are rounded to three decimals and never negative. The same numbers on
/// every platform: the noise comes from a fixed linear congruential generator.
std::vector<ProfileRow> sampleProfiles(double ageStep);

/// @brief The same profile shapes over `rows` data rows spanning ages 0 to 4000.
std::vector<ProfileRow> sampleProfilesOfLength(int32_t rows);

/// @brief A workbook of one sheet "Profiles": row 1 holds "Age", "Y data (1)", "Y data (2)",
/// the rows follow from row 2 on in columns A to C.
void fillProfileSheet(SpreadsheetCore& book, const std::vector<ProfileRow>& rows);

}  // namespace kestrel::samples
