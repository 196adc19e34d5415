// Y3Za: the weighted mean of the three youngest ages, whatever their uncertainties.
// W. R. Dickinson and G. E. Gehrels (2009), "Use of U-Pb ages of detrital zircons to infer
// maximum depositional ages of strata", Earth and Planetary Science Letters 288, 115-125.
#include "engine/depositional/DepositionalEstimators.h"
#include "engine/depositional/WeightedMean.h"
#include "engine/depositional/YoungestClusters.h"

namespace kestrel {

DepositionalEstimate youngestThreeZirconsByAge(const GrainSample& sample,
                                               const DepositionalOptions&) {
    if (sample.ages.size() < 3) return noDepositionalEstimate("fewer than three grains");
    return weightedMeanEstimate(sample, GrainsByUpperAge(sample, 0.0).indices(0, 3));
}

}  // namespace kestrel
