// The weighted mean of grain ages and the estimates made of it.
#include "engine/depositional/WeightedMean.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace kestrel {

WeightedMean weightedMeanOf(const GrainSample& sample, std::span<const size_t> grains) {
    // Weights relative to the narrowest uncertainty's, (s_min / s_i)^2, which neither overflow
    // nor vanish whatever the age unit; the standard error is s_min / sqrt(their sum).
    double narrowest = sample.sigmas[grains.front()];
    for (const size_t i : grains) narrowest = std::min(narrowest, sample.sigmas[i]);
    double weights = 0.0, weightedAges = 0.0;
    for (const size_t i : grains) {
        const double ratio = narrowest / sample.sigmas[i];
        weights += ratio * ratio;
        weightedAges += ratio * ratio * sample.ages[i];
    }
    WeightedMean result;
    result.count = grains.size();
    result.mean = weightedAges / weights;
    result.standardError = narrowest / std::sqrt(weights);
    if (grains.size() < 2) return result;
    // The scatter about the mean in a second pass: the ages of a cluster agree to many digits,
    // and sum w a^2 - (sum w a)^2 / sum w would lose them.
    double scatter = 0.0;
    for (const size_t i : grains) {
        const double d = (sample.ages[i] - result.mean) / sample.sigmas[i];
        scatter += d * d;
    }
    result.mswd = scatter / static_cast<double>(grains.size() - 1);
    return result;
}

DepositionalEstimate weightedMeanEstimate(const GrainSample& sample,
                                          std::span<const size_t> grains) {
    const WeightedMean mean = weightedMeanOf(sample, grains);
    DepositionalEstimate estimate;
    estimate.age = mean.mean;
    estimate.minus = estimate.plus = kNormal95 * mean.standardError;
    estimate.mswd = mean.mswd;
    estimate.used = mean.count;
    return estimate;
}

DepositionalEstimate noDepositionalEstimate(std::string reason) {
    DepositionalEstimate estimate;
    estimate.reason = std::move(reason);
    return estimate;
}

}  // namespace kestrel
