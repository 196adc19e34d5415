// YC2s(3+): the weighted mean of the youngest cluster of three or more grains whose ages
// overlap at 2 sigma. W. R. Dickinson and G. E. Gehrels (2009), "Use of U-Pb ages of detrital
// zircons to infer maximum depositional ages of strata", Earth and Planetary Science Letters
// 288, 115-125.
#include "engine/depositional/DepositionalEstimators.h"
#include "engine/depositional/WeightedMean.h"
#include "engine/depositional/YoungestClusters.h"

namespace kestrel {

DepositionalEstimate youngestCluster2Sigma(const GrainSample& sample, const DepositionalOptions&) {
    if (sample.ages.size() < 3) return noDepositionalEstimate("fewer than three grains");
    const std::vector<size_t> cluster = youngestCluster(sample, 2.0, 3);
    if (cluster.empty())
        return noDepositionalEstimate("no cluster of three grains overlapping at 2 sigma");
    return weightedMeanEstimate(sample, cluster);
}

}  // namespace kestrel
