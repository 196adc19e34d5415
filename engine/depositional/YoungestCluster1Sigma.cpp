// YC1s(2+): the weighted mean of the youngest cluster of two or more grains whose ages overlap
// at 1 sigma. W. R. Dickinson and G. E. Gehrels (2009), "Use of U-Pb ages of detrital zircons
// to infer maximum depositional ages of strata", Earth and Planetary Science Letters 288,
// 115-125.
#include "engine/depositional/DepositionalEstimators.h"
#include "engine/depositional/WeightedMean.h"
#include "engine/depositional/YoungestClusters.h"

namespace kestrel {

DepositionalEstimate youngestCluster1Sigma(const GrainSample& sample, const DepositionalOptions&) {
    const std::vector<size_t> cluster = youngestCluster(sample, 1.0, 2);
    if (cluster.empty())
        return noDepositionalEstimate("no cluster of two grains overlapping at 1 sigma");
    return weightedMeanEstimate(sample, cluster);
}

}  // namespace kestrel
