// The rows layout of grain ages: one grain a row, its sample, age and uncertainty in columns
// found by their headings.
#pragma once

#include "sheet/core/GrainAges.h"

namespace kestrel::grainages {

/// @brief Reads the rows layout of `sheet`; the request has been checked (sheet, heading row,
/// sigma level, columns). See readGrainAges.
GrainAges readAgeRows(const Worksheet& sheet, const GrainAgesRequest& request);

}  // namespace kestrel::grainages
