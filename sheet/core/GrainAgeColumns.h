// The columns layout of grain ages: a heading row names the samples, each column below it holds
// one sample's ages, their uncertainties on a sheet of the same shape or right of each column.
#pragma once

#include "sheet/core/GrainAges.h"

namespace kestrel::grainages {

/// @brief Reads the columns layout of `sheet` (one of `book`'s sheets); the request has been
/// checked (sheet, heading row, sigma level). See readGrainAges.
GrainAges readAgeColumns(const Workbook& book, const Worksheet& sheet,
                         const GrainAgesRequest& request);

}  // namespace kestrel::grainages
