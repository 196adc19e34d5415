// The maximum likelihood age (MLA) of a detrital sample: the minimum age model of
// R. F. Galbraith and G. M. Laslett (1993), "Statistical models for mixed fission track ages",
// Nuclear Tracks and Radiation Measurements 21, 459-470, as set out in R. F. Galbraith (2005),
// "Statistics for Fission Track Analysis", section 6.11, and proposed for maximum depositional
// ages by P. Vermeesch (2021), "Maximum depositional age estimation revisited", Geoscience
// Frontiers 12, 101-112.
//
// On log ages z_i = ln a_i with uncertainties s_i / a_i, a proportion pi of the grains sits at the
// minimum gamma and the rest come from a normal of mean mu (>= gamma) and spread sigma, truncated
// below at gamma; with 3 parameters mu = gamma.
#pragma once

#include <string>
#include <vector>

#include "engine/density/GrainSample.h"

namespace kestrel {

/// @brief The fit of the minimum age model. `gamma`, `mu` and `sigma` are on the log scale;
/// `age` = exp(gamma) in age units, `lower` and `upper` its 95% limits
/// exp(gamma -+ 1.96 se(gamma)), `se` from the inverse Hessian of the log-likelihood.
/// `degenerate` when the maximum lies on a bound (sigma -> 0 or pi -> 1, or a Hessian that is
/// not negative definite), `note` then saying so in words.
struct MinimumAgeFit {
    int parameters = 3;
    double gamma = 0.0;
    double mu = 0.0;
    double sigma = 0.0;
    double pi = 0.0;
    double logLikelihood = 0.0;
    double age = 0.0;
    double lower = 0.0;
    double upper = 0.0;
    double seGamma = 0.0;
    bool degenerate = false;
    std::string note;
};

/// @brief Maximises the minimum age model's likelihood from several starts within bounded
/// parameters. `parameters` is 3 or 4. The sample must have passed checkDepositionalSample.
MinimumAgeFit fitMinimumAgeModel(const GrainSample& sample, int parameters);

/// @brief The model's log-likelihood at the given parameters (log scale), for tests and for
/// comparing fits; mu is ignored when `parameters` is 3.
double minimumAgeLogLikelihood(const GrainSample& sample, int parameters, double gamma, double mu,
                               double sigma, double pi);

}  // namespace kestrel
