// Tau: the weighted mean of the grains between the two minima of the probability density plot
// around its youngest peak of three or more grains (the minimum below it, or none for the
// youngest peak; the minimum above it, or none for the oldest), grains a_i with
// minimum below < a_i <= minimum above. D. L. Barbeau et al. (2009), Earth and Planetary
// Science Letters 284, 489-503; compared with the other estimators by G. R. Sharman and
// M. A. Malkowski (2020), Earth-Science Reviews 203, 103109.
#include <algorithm>
#include <limits>

#include "engine/depositional/DepositionalEstimators.h"
#include "engine/depositional/PdpPeaks.h"
#include "engine/depositional/WeightedMean.h"
#include "engine/depositional/YoungestClusters.h"

namespace kestrel {

namespace {

// The grains (in order of age) with below < a_i <= above.
std::span<const size_t> grainsBetween(const GrainSample& sample, const std::vector<size_t>& byAge,
                                      double below, double above) {
    const auto& a = sample.ages;
    const auto first = std::upper_bound(byAge.begin(), byAge.end(), below,
                                        [&](double x, size_t i) { return x < a[i]; });
    const auto last =
        std::upper_bound(first, byAge.end(), above, [&](double x, size_t i) { return x < a[i]; });
    return {first, last};
}

}  // namespace

DepositionalEstimate youngestPeakTau(const GrainSample& sample, const DepositionalOptions&) {
    constexpr double kNone = std::numeric_limits<double>::infinity();
    const std::vector<size_t> byAge = grainsByUpperAge(sample, 0.0);
    PdpWalk walk(sample);
    if (walk.tooFine()) return noDepositionalEstimate(kPdpTooFine);
    double below = -kNone;
    bool peakSeen = false;
    for (std::optional<PdpTurn> turn = walk.next();; turn = walk.next()) {
        if (turn && turn->peak) {
            peakSeen = true;
            continue;
        }
        const double above = turn ? turn->age : kNone;
        if (peakSeen) {
            const std::span<const size_t> grains = grainsBetween(sample, byAge, below, above);
            if (grains.size() >= 3) return weightedMeanEstimate(sample, grains);
        }
        if (!turn) break;
        below = above;
        peakSeen = false;
    }
    return noDepositionalEstimate("no peak with three grains between its minima");
}

}  // namespace kestrel
