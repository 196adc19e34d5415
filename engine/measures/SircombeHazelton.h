// The Sircombe-Hazelton distance between samples of grain ages with their uncertainties:
// K. N. Sircombe and M. L. Hazelton (2004), "Comparison of detrital zircon age distributions by
// kernel functional estimation", Sedimentary Geology 171, 91-111.
//
// Each sample X of ages x_i with 1-sigma s_i is estimated by the kernel functional
// f_X(x) = (1/n) sum_i N(x; x_i, c - s_i^2): a grain whose own uncertainty is larger gets a
// narrower kernel, so that every grain's total spread (kernel plus its measurement) is the same
// c. The distance of X and Y is the L2 norm ||f_X - f_Y||, in closed form from the Gaussian
// products: integral N(x; a, u) N(x; b, v) dx = N(a - b; 0, u + v), so
// ||f_X - f_Y||^2 = S(X, X) + S(Y, Y) - 2 S(X, Y), S(X, Y) = (1/(n m)) sum_i sum_j
// N(x_i - y_j; 0, 2c - s_i^2 - t_j^2). c is common to the comparison: the largest, over its
// samples, of (largest s_i^2 + h^2), h the sample's Botev bandwidth (BotevBandwidth.h), so
// every kernel variance is at least the h^2 of its own sample. The authors chose h by
// cross-validation; Botev's estimator is this program's bandwidth everywhere else.
#pragma once

#include <string>
#include <vector>

#include "engine/density/GrainSample.h"
#include "engine/measures/Measure.h"
#include "engine/measures/Measures.h"

namespace kestrel {

/// @brief The common spread c of the samples (each with its sigmas and two or more distinct
/// ages).
double sircombeHazeltonSpread(const std::vector<GrainSample>& samples);

/// @brief The distance of every pair of samples (diagonal 0, no p-values), the pairs shared
/// among `threads` workers (0: one per core). Throws KestrelError as botevBandwidth does.
MeasureMatrix sircombeHazeltonMatrix(const std::vector<GrainSample>& samples, unsigned threads);

/// @brief Why the distance has no value for the samples: not grain ages, a sample without
/// uncertainties, an uncertainty below 0 or not finite, or fewer than two distinct ages (no
/// bandwidth); empty when it has.
std::string sircombeHazeltonRefusal(const MeasuredSamples& samples);

}  // namespace kestrel
