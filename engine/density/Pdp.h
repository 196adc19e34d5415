// Probability density plot (PDP): each grain's age drawn as a normal distribution of its own
// analytical uncertainty, the distributions summed.
//
//   PDP(x) = sum over grains i of N(x; age_i, sigma_i),
//   N(x; m, s) = exp(-(x - m)^2 / (2 s^2)) / (s sqrt(2 pi)),
//
// with sigma_i the grain's 1-sigma uncertainty. As drawn by Isoplot: K. R. Ludwig (2003),
// "User's manual for Isoplot 3.00", Berkeley Geochronology Center Special Publication 4; its
// properties discussed in P. Vermeesch (2012), "On the visualisation of detrital age
// distributions", Chemical Geology 312-313, 190-194. Each kernel is cut where it falls below
// 1e-13 of its peak (within 7.74 sigma of the age).
#pragma once

#include <vector>

#include "engine/density/AgeGrid.h"
#include "engine/density/GrainSample.h"

namespace kestrel {

/// @brief Throws KestrelError naming the sample unless it has ages (all finite) and a 1-sigma
/// uncertainty for each, every one finite and above 0 (a bad one named by its grain number,
/// from 1).
void checkPdpSample(const GrainSample& sample);

/// @brief The PDP at every row of the grid (not scaled: a sum of densities, so its integral
/// over all ages is the number of grains). Throws as checkPdpSample and ageGridRows do.
std::vector<double> pdpProfile(const GrainSample& sample, const AgeGrid& grid);

}  // namespace kestrel
