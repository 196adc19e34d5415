// Which of the two grain-age layouts a sheet is in, judged from its heading row, for a
// workbook the user has not read before.
#pragma once

#include <cstdint>

#include "sheet/core/GrainAges.h"

namespace kestrel {

/// @brief The rows layout when row `headingRow` of `sheet` heads a Sample (or Name) column and
/// an Age column, as one row per grain is headed; otherwise one column per sample.
AgesLayout guessAgesLayout(const Worksheet& sheet, int32_t headingRow);

}  // namespace kestrel
