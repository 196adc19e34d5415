// Grains that a typed grid leaves out: their ages lie before its first or after its last row,
// so the profiles drop them, while the tests on the grains themselves keep them.
#pragma once

#include <span>
#include <string>
#include <vector>

#include "engine/density/GrainSample.h"

namespace kestrel {

/// @brief One sample's grains outside the grid.
struct GrainsOutsideGrid {
    size_t sample = 0;   // index into the samples
    size_t outside = 0;  // grains before the grid's first or after its last age
    size_t grains = 0;   // the sample's grains
};

/// @brief The samples (of `which`, indices into `samples`; all when empty) with grains whose
/// ages lie outside [gridAges.front(), gridAges.back()], in the order of `which`.
std::vector<GrainsOutsideGrid> grainsOutsideGrid(const std::vector<GrainSample>& samples,
                                                 std::span<const double> gridAges,
                                                 const std::vector<size_t>& which = {});

/// @brief "The grid (500 to 1500) leaves out grains that its profiles cannot show: 16 of N1's
/// 99, 9 of N2's 90; the grain tests keep them" for the samples of `which` (as grainsOutsideGrid
/// takes them), or "" when none is left out.
std::string grainsOutsideGridNote(const std::vector<GrainSample>& samples,
                                  std::span<const double> gridAges,
                                  const std::vector<size_t>& which = {});

}  // namespace kestrel
