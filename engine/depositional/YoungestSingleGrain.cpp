// YSG, the youngest single grain: the grain whose age plus its 1-sigma uncertainty is the
// smallest, reported with its own uncertainty. W. R. Dickinson and G. E. Gehrels (2009), "Use
// of U-Pb ages of detrital zircons to infer maximum depositional ages of strata", Earth and
// Planetary Science Letters 288, 115-125.
#include "engine/depositional/DepositionalEstimators.h"
#include "engine/depositional/WeightedMean.h"
#include "engine/depositional/YoungestClusters.h"

namespace kestrel {

size_t youngestSingleGrainIndex(const GrainSample& sample) {
    // Strictly smaller only: of equal a + s the grain read first is kept.
    size_t youngest = 0;
    for (size_t i = 1; i < sample.ages.size(); ++i)
        if (sample.ages[i] + sample.sigmas[i] < sample.ages[youngest] + sample.sigmas[youngest])
            youngest = i;
    return youngest;
}

DepositionalEstimate youngestSingleGrain(const GrainSample& sample, const DepositionalOptions&) {
    const size_t i = youngestSingleGrainIndex(sample);
    DepositionalEstimate estimate;
    estimate.age = sample.ages[i];
    estimate.minus = estimate.plus = kNormal95 * sample.sigmas[i];
    estimate.used = 1;
    return estimate;
}

}  // namespace kestrel
