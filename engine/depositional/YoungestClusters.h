// The youngest grains in the orders the youngest-grain estimators read them, and the cluster
// rule of W. R. Dickinson and G. E. Gehrels (2009), "Use of U-Pb ages of detrital zircons to
// infer maximum depositional ages of strata", Earth and Planetary Science Letters 288, 115-125,
// shared by YC1s(2+), YC2s(3+) and Y3Zo.
#pragma once

#include <cstddef>
#include <vector>

#include "engine/density/GrainSample.h"

namespace kestrel {

/// @brief The grains' indices sorted by a + k s (k sigmas above the age; k = 0: by age), ties
/// by the age and then by the order read.
std::vector<size_t> grainsByUpperAge(const GrainSample& sample, double k);

/// @brief The youngest cluster of at least `minimum` grains overlapping at k sigma, in the
/// order of a + k s; empty when there is none. A cluster starts at a grain i of that order and
/// takes the grains right after it, without a gap, whose a - k s lies below i's a + k s.
std::vector<size_t> youngestCluster(const GrainSample& sample, double k, size_t minimum);

/// @brief The index of the youngest single grain: the smallest a + s, the first read of equals.
size_t youngestSingleGrainIndex(const GrainSample& sample);

}  // namespace kestrel
