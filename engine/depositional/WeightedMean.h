// The inverse-variance weighted mean of a set of grain ages, with its standard error and MSWD,
// as the youngest-grain estimators of the maximum depositional age report it (W. R. Dickinson
// and G. E. Gehrels (2009), "Use of U-Pb ages of detrital zircons to infer maximum depositional
// ages of strata", Earth and Planetary Science Letters 288, 115-125), and the estimate of a
// method that finds nothing.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>

#include "engine/depositional/DepositionalAges.h"

namespace kestrel {

/// @brief The weighted mean of some grains: weights 1 / sigma^2, `mean` and `standardError`
/// (1 / sqrt(sum of weights)) in age units, `mswd` = sum w (a - mean)^2 / (n - 1), empty for
/// one grain.
struct WeightedMean {
    double mean = 0.0;
    double standardError = 0.0;
    std::optional<double> mswd;
    size_t count = 0;
};

/// @brief The weighted mean of the grains `grains` (indices into the sample, at least one).
WeightedMean weightedMeanOf(const GrainSample& sample, std::span<const size_t> grains);

/// @brief The estimate that is the weighted mean of `grains`: its 95% interval 1.96 standard
/// errors either side, its MSWD, the grains used.
DepositionalEstimate weightedMeanEstimate(const GrainSample& sample,
                                          std::span<const size_t> grains);

/// @brief The estimate of a method that finds nothing, `reason` saying why in a short
/// lowercase phrase.
DepositionalEstimate noDepositionalEstimate(std::string reason);

/// @brief How far from the estimate its 95% interval reaches, per standard error.
inline constexpr double kNormal95 = 1.96;

}  // namespace kestrel
