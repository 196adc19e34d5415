// Adaptive kernel density estimate: a Gaussian kernel per grain whose bandwidth follows
// Abramson's square-root law, narrow where grains are dense and wide where they are sparse,
// with the fixed-bandwidth KDE (Kde.h) as the pilot:
//
//   pilot_i = sum over grains j of N(age_i; age_j, h)   (the fixed KDE at the grain's age),
//   G = (product over grains i of pilot_i)^(1/n)        (their geometric mean),
//   h_i = h sqrt(G / pilot_i),
//   adaptive KDE(x) = sum over grains i of N(x; age_i, h_i),
//
// I. S. Abramson (1982), "On bandwidth variation in kernel estimates - a square root law",
// Annals of Statistics 10(4), 1217-1223; for detrital ages, P. Vermeesch (2012), "On the
// visualisation of detrital age distributions", Chemical Geology 312-313, 190-194. h is the
// sample's fixed bandwidth (Botev, common median or typed). Every kernel, the pilot's
// included, is cut where it falls below 1e-13 of its peak. The grains' sigmas are not used.
#pragma once

#include <vector>

#include "engine/density/AgeGrid.h"
#include "engine/density/GrainSample.h"

namespace kestrel {

/// @brief Each grain's bandwidth h_i = h sqrt(G / pilot_i), in the order of the ages. Throws
/// KestrelError as kdeProfile does for the sample and h, and naming the sample when a
/// bandwidth comes out not finite or 0 (h so near 0 or so large that the pilot's values leave
/// the range of doubles).
std::vector<double> adaptiveBandwidths(const GrainSample& sample, double h);

/// @brief The adaptive KDE with pilot bandwidth h at every row of the grid (not scaled: a sum
/// of densities). Throws as adaptiveBandwidths and ageGridRows do.
std::vector<double> adaptiveKdeProfile(const GrainSample& sample, const AgeGrid& grid, double h);

}  // namespace kestrel
