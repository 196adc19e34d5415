// The adaptive kernel density estimate: Abramson's square-root law on a fixed-bandwidth pilot.
#include "engine/density/AdaptiveKde.h"

#include <cmath>

#include "engine/KestrelError.h"
#include "engine/density/Kde.h"
#include "engine/density/NormalKernels.h"

namespace kestrel {

std::vector<double> adaptiveBandwidths(const GrainSample& sample, double h) {
    checkGrainAges(sample);
    checkBandwidth(h);
    const std::vector<double> pilot = kernelSumAtAges(sample.ages, h);
    // Every pilot value holds its own grain's kernel, so none is 0 and the logarithms exist.
    double logSum = 0.0;
    for (double value : pilot) logSum += std::log(value);
    const double logMean = logSum / static_cast<double>(pilot.size());
    std::vector<double> bandwidths(pilot.size());
    for (size_t i = 0; i < pilot.size(); ++i) {
        bandwidths[i] = h * std::sqrt(std::exp(logMean - std::log(pilot[i])));
        // A bandwidth near the ends of the doubles' range gives pilot values beyond them.
        if (!(bandwidths[i] > 0.0) || !std::isfinite(bandwidths[i]))
            throw KestrelError(sampleLabel(sample) +
                               ": the adaptive bandwidths cannot be "
                               "computed with a bandwidth of " +
                               messageNumber(h));
    }
    return bandwidths;
}

std::vector<double> adaptiveKdeProfile(const GrainSample& sample, const AgeGrid& grid, double h) {
    const std::vector<double> bandwidths = adaptiveBandwidths(sample, h);
    std::vector<double> profile(static_cast<size_t>(ageGridRows(grid)), 0.0);
    for (size_t i = 0; i < sample.ages.size(); ++i)
        addNormalKernel(profile, grid.from, grid.step, sample.ages[i], bandwidths[i]);
    return profile;
}

}  // namespace kestrel
