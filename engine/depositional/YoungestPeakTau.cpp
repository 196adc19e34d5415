// Tau: the weighted mean of the grains between the two minima of the probability density plot
// around its youngest peak of three or more grains (the minimum below it, or none for the
// youngest peak; the minimum above it, or none for the oldest), grains a_i with
// minimum below < a_i <= minimum above. D. L. Barbeau et al. (2009), Earth and Planetary
// Science Letters 284, 489-503; compared with the other estimators by G. R. Sharman and
// M. A. Malkowski (2020), Earth-Science Reviews 203, 103109.
#include <limits>

#include "engine/depositional/DepositionalEstimators.h"
#include "engine/depositional/PdpPeaks.h"
#include "engine/depositional/WeightedMean.h"
#include "engine/depositional/YoungestClusters.h"

namespace kestrel {

DepositionalEstimate youngestPeakTau(const GrainSample& sample, const DepositionalOptions&) {
    GrainsByUpperAge byAge(sample, 0.0);
    PdpWalk walk(sample);
    if (walk.tooFine()) return noDepositionalEstimate(kPdpTooFine);
    // The minima come in order of age, so the grains between one and the next follow those
    // below it: positions [first, end) of the order of age.
    size_t first = 0;
    bool peakSeen = false;
    for (std::optional<PdpTurn> turn = walk.next();; turn = walk.next()) {
        if (turn && turn->peak) {
            peakSeen = true;
            continue;
        }
        const double above = turn ? turn->age : std::numeric_limits<double>::infinity();
        size_t end = first;
        while (end < byAge.size() && sample.ages[byAge.at(end)] <= above) ++end;
        if (peakSeen && end - first >= 3)
            return weightedMeanEstimate(sample, byAge.indices(first, end - first));
        if (!turn) break;
        first = end;
        peakSeen = false;
    }
    return noDepositionalEstimate("no peak with three grains between its minima");
}

}  // namespace kestrel
