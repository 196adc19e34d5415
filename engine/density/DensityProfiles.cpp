// Every sample's profile on one grid: checks, bandwidths, the grid, the profiles, the scaling.
#include "engine/density/DensityProfiles.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <functional>
#include <limits>

#include "engine/KestrelError.h"
#include "engine/ParallelIndices.h"
#include "engine/density/BotevBandwidth.h"
#include "engine/density/Kde.h"
#include "engine/density/NormalKernels.h"
#include "engine/density/ProfileMethods.h"

namespace kestrel {
namespace {

// work(i) for every sample on every core; the error of the first sample in order that failed
// is thrown, whichever thread met it first.
void forEachSample(size_t count, const std::function<void(size_t)>& work) {
    std::vector<std::exception_ptr> errors(count);
    forEachIndexInParallel(static_cast<int64_t>(count), 0, [&](int64_t index) {
        const auto i = static_cast<size_t>(index);
        try {
            work(i);
        } catch (...) {
            errors[i] = std::current_exception();
        }
    });
    for (const auto& error : errors)
        if (error) std::rethrow_exception(error);
}

}  // namespace

AgeGrid defaultDensityGrid(const std::vector<GrainSample>& samples, DensityKind kind,
                           const std::vector<double>& bandwidths) {
    double low = std::numeric_limits<double>::infinity();
    double high = -low;
    double youngest = low;
    const bool sigmas = !profileMethod(kind).usesBandwidth;
    for (size_t s = 0; s < samples.size(); ++s) {
        const GrainSample& sample = samples[s];
        const auto [least, greatest] = std::minmax_element(sample.ages.begin(), sample.ages.end());
        double below = 0.0, above = 0.0;  // 3 sigma or 3 bandwidths
        if (sigmas) {
            for (size_t i = 0; i < sample.ages.size(); ++i) {
                if (sample.ages[i] == *least) below = std::max(below, 3.0 * sample.sigmas[i]);
                if (sample.ages[i] == *greatest) above = std::max(above, 3.0 * sample.sigmas[i]);
            }
        } else {
            below = above = 3.0 * bandwidths[s];
        }
        low = std::min(low, *least - below);
        high = std::max(high, *greatest + above);
        youngest = std::min(youngest, *least);
    }
    // Ages that cannot be negative put no profile mass below 0: the kernels of young grains are
    // cut there rather than drawn over ages that cannot exist.
    if (youngest >= 0.0) low = std::max(low, 0.0);
    return defaultAgeGrid(low, high);
}

void scaleToHundred(std::vector<double>& profile) {
    if (profile.empty()) return;
    const double highest = *std::max_element(profile.begin(), profile.end());
    if (!(highest > 0.0)) return;
    for (double& value : profile) value = value / highest * 100.0;
}

double medianBandwidth(std::vector<double> values) {
    const size_t middle = values.size() / 2;
    std::nth_element(values.begin(), values.begin() + middle, values.end());
    if (values.size() % 2 == 1) return values[middle];
    const double upper = values[middle];
    const double lower = *std::max_element(values.begin(), values.begin() + middle);
    return (lower + upper) / 2.0;
}

std::vector<std::pair<size_t, BotevEstimate>> samplesWithoutBandwidthRoot(
    const DensityProfiles& profiles) {
    std::vector<std::pair<size_t, BotevEstimate>> found;
    for (size_t s = 0; s < profiles.botevEstimates.size(); ++s) {
        if (!profiles.botevEstimates[s].rootFound)
            found.emplace_back(s, profiles.botevEstimates[s]);
    }
    return found;
}

DensityProfiles buildDensityProfiles(const std::vector<GrainSample>& samples,
                                     const DensityOptions& options) {
    const ProfileMethod& method = profileMethod(options.kind);
    const bool kernelDensity = method.usesBandwidth;
    if (kernelDensity && options.bandwidth) checkBandwidth(*options.bandwidth);
    for (const GrainSample& sample : samples) method.checkSample(sample);
    if (samples.empty() && !options.grid)
        throw KestrelError("There are no samples to make profiles of");

    DensityProfiles result;
    if (kernelDensity) {
        result.bandwidths.assign(samples.size(), options.bandwidth.value_or(0.0));
        if (!options.bandwidth) {
            result.botevEstimates.resize(samples.size());
            forEachSample(samples.size(), [&](size_t i) {
                result.botevEstimates[i] = botevEstimate(samples[i]);
                result.bandwidths[i] = result.botevEstimates[i].bandwidth;
            });
            if (options.commonBandwidth && !samples.empty())
                result.bandwidths.assign(samples.size(), medianBandwidth(result.bandwidths));
        }
    }
    result.grid =
        options.grid ? *options.grid : defaultDensityGrid(samples, options.kind, result.bandwidths);
    result.ages = ageGridAges(result.grid);

    result.profiles.resize(samples.size());
    forEachSample(samples.size(), [&](size_t i) {
        std::vector<double>& profile = result.profiles[i];
        profile = method.build(samples[i], result.grid, kernelDensity ? result.bandwidths[i] : 0.0);
        for (double value : profile)
            if (!std::isfinite(value))
                throw KestrelError(sampleLabel(samples[i]) +
                                   ": its profile's values are too large for a number (a "
                                   "1-sigma or bandwidth too near 0)");
        scaleToHundred(profile);
    });
    return result;
}

}  // namespace kestrel
