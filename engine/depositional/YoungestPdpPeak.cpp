// YPP, the youngest graphical peak: the youngest peak of the probability density plot with two
// or more grains within 1 sigma of it (|a_i - peak| <= s_i). G. R. Sharman and
// M. A. Malkowski (2020), "Needles in a haystack: detrital zircon U-Pb ages and the maximum
// depositional age of modern global sediment", Earth-Science Reviews 203, 103109. The peak
// itself is the estimate: it has no interval and no MSWD.
#include "engine/depositional/DepositionalEstimators.h"
#include "engine/depositional/PdpPeaks.h"
#include "engine/depositional/WeightedMean.h"

namespace kestrel {

DepositionalEstimate youngestPdpPeak(const GrainSample& sample, const DepositionalOptions&) {
    PdpWalk walk(sample);
    if (walk.tooFine()) return noDepositionalEstimate(kPdpTooFine);
    while (const std::optional<PdpTurn> turn = walk.next()) {
        if (!turn->peak) continue;
        const size_t near = walk.grainsWithinOneSigma(turn->age);
        if (near < 2) continue;
        DepositionalEstimate estimate;
        estimate.age = turn->age;
        estimate.used = near;
        return estimate;
    }
    return noDepositionalEstimate("no peak with two grains within 1 sigma of it");
}

}  // namespace kestrel
