// The measures beyond D for each window of a two-profile comparison: the two profiles over the
// window's rows only, taken as shares of what lies in the window.
#pragma once

#include <vector>

#include "engine/ProfileData.h"
#include "engine/comparison/WindowsTable.h"
#include "engine/measures/Measures.h"

namespace kestrel {

/// @brief Fills `measures` of every row of a windows table with each measure of `measures`
/// other than D (in table order), computed over the positions first..last of `data`'s Age and
/// Y arrays as two profiles of their own (the whole range's row over every position).
void fillWindowMeasures(std::vector<WindowsTableRow>& rows, const ProfileData& data,
                        const std::vector<Measure>& measures);

}  // namespace kestrel
