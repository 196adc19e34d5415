// The age components of a detrital sample: a finite mixture of k normal components on log ages,
// each grain keeping its own uncertainty, fitted by maximum likelihood. R. F. Galbraith and
// P. F. Green (1990), "Estimating the component ages in a finite mixture", Nuclear Tracks and
// Radiation Measurements 17, 197-206; R. F. Galbraith (2005), "Statistics for Fission Track
// Analysis", chapter 6. The number of components is given or chosen by the Bayesian information
// criterion.
#pragma once

#include <vector>

#include "engine/density/GrainSample.h"

namespace kestrel {

/// The most components "auto" tries.
inline constexpr int kMaxAutoComponents = 8;

/// @brief One component: its age (exp of its log-scale mean) in age units, its 95% limits
/// exp(mu -+ 1.96 se(mu)), and its proportion of the grains.
struct AgeComponent {
    double age = 0.0;
    double lower = 0.0;
    double upper = 0.0;
    double proportion = 0.0;
};

/// @brief The fit: components sorted by age, the log-likelihood and BIC = -2 lnL + (2k - 1) ln n.
struct MixtureFit {
    std::vector<AgeComponent> components;
    double logLikelihood = 0.0;
    double bic = 0.0;
    /// fitMixtureAuto only: the lowest BIC came at the largest k tried while the sample has more
    /// grains, so it may hold more components, or components with a spread of their own (which
    /// this model, each component a single age, splits into several).
    bool bicAtLargestK = false;
};

/// @brief Fits k components (1 <= k <= the sample's grains) from several starts. The sample must
/// have passed checkDepositionalSample. Throws KestrelError naming the sample for a k it cannot
/// hold.
MixtureFit fitMixture(const GrainSample& sample, int k);

/// @brief k = 1 .. min(kMaxAutoComponents, grains) fitted, the one with the lowest BIC kept.
MixtureFit fitMixtureAuto(const GrainSample& sample);

/// @brief The mixture's log-likelihood at the given log-scale means and proportions, for tests.
double mixtureLogLikelihood(const GrainSample& sample, const std::vector<double>& logMeans,
                            const std::vector<double>& proportions);

}  // namespace kestrel
