// Synthetic sample sets for the many-profile comparison: K profiles over one age axis, in a few
// families of related samples, so that a map of them shows groups.
#pragma once

#include <cstdint>

#include "sheet/core/SpreadsheetCore.h"

namespace kestrel::samples {

/// @brief A workbook of one sheet "Samples": row 1 holds "Age" and the names "S01" ... (the
/// family's letter after the number: "S01-A"), rows 2 to rows + 1 the ages 0 to 4000 and the
/// K profile values. Profiles fall into four families, each with its own peaks; within a
/// family the peaks move a little and change height from sample to sample. Deterministic.
void fillManyProfilesSheet(SpreadsheetCore& book, int32_t profiles, int32_t rows);

}  // namespace kestrel::samples
