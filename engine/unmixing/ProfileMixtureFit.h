// The mixture of source profiles (PDP or KDE on one grid) closest to a sink's profile in least
// squares, with its cross-correlation coefficient R^2, after K. E. Sundell and J. E. Saylor
// (2017), "Unmixing detrital geochronology age distributions", Geochemistry, Geophysics,
// Geosystems 18, 2872-2886, who rank random mixtures by R^2; here the least-squares optimum
// itself.
//
// Each profile is first scaled to unit sum (a density on the grid), so that a mixture of
// sources is the profile of the pooled grains and the proportions are proportions of grains.
// The weights w (w >= 0, sum 1) minimise sum over rows (p_sink - sum_i w_i p_i)^2: a convex
// quadratic programme in m variables, solved exactly by the primal active-set method
// (J. Nocedal and S. J. Wright (2006), Numerical Optimization, 2nd ed., Algorithm 16.3) on the
// m x m normal equations P'P w = P'p_sink; each step solves the equality-constrained KKT system
// of the free weights with Eigen's complete orthogonal decomposition, so sources that are alike
// (a singular P'P) still give a solution.
#pragma once

#include <vector>

#include "engine/unmixing/CdfMixtureFit.h"

namespace kestrel {

/// @brief The least-squares mixture of `sources` (each as long as `sink`, none all zeros;
/// any positive scale) and its R^2: the square of Pearson's r between the sink's profile and
/// the mixture's, both at unit sum (0 when either is flat).
SourceMixture fitProfileMixture(const std::vector<double>& sink,
                                const std::vector<std::vector<double>>& sources);

/// @brief The minimiser of 1/2 w'Gw - c'w over w >= 0, sum w = 1, for a positive
/// semi-definite m x m G (row-major) and c of length m.
std::vector<double> simplexQuadraticMinimum(const std::vector<double>& gram,
                                            const std::vector<double>& c);

}  // namespace kestrel
