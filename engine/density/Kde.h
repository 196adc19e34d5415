// Kernel density estimate (KDE) with a Gaussian kernel and one bandwidth for the whole sample:
//
//   KDE(x) = sum over grains i of N(x; age_i, h),
//   N(x; m, s) = exp(-(x - m)^2 / (2 s^2)) / (s sqrt(2 pi)),
//
// M. Rosenblatt (1956), "Remarks on some nonparametric estimates of a density function", Annals
// of Mathematical Statistics 27(3), 832-837; E. Parzen (1962), "On estimation of a probability
// density function and mode", Annals of Mathematical Statistics 33(3), 1065-1076; B. W.
// Silverman (1986), "Density Estimation for Statistics and Data Analysis", Chapman and Hall,
// London; for detrital ages, P. Vermeesch (2012), "On the visualisation of detrital age
// distributions", Chemical Geology 312-313, 190-194. The bandwidth h is the Botev estimate
// (BotevBandwidth.h), the median of the samples' Botev estimates, or one the user types. Each
// kernel is cut where it falls below 1e-13 of its peak (within 7.74 h of the age). The grains'
// sigmas are not used.
#pragma once

#include <vector>

#include "engine/density/AgeGrid.h"
#include "engine/density/GrainSample.h"

namespace kestrel {

/// @brief Throws KestrelError unless the bandwidth is a finite number above 0.
void checkBandwidth(double bandwidth);

/// @brief The KDE with bandwidth h at every row of the grid (not scaled: a sum of densities).
/// Throws KestrelError naming the sample for an age that is not finite or a sample without
/// ages, as checkBandwidth does for h, and as ageGridRows does for the grid.
std::vector<double> kdeProfile(const GrainSample& sample, const AgeGrid& grid, double h);

}  // namespace kestrel
