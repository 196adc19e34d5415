// Resampling grains for the unmixing fits' bootstrap, reproducibly and in parallel.
#include "engine/unmixing/UnmixingBootstrap.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <mutex>

#include "engine/ParallelIndices.h"
#include "engine/depositional/NormalDraws.h"

namespace kestrel {

std::vector<GrainSample> resampleGrains(const std::vector<GrainSample>& samples, uint64_t seed,
                                        int64_t resample) {
    uint64_t total = 0;
    for (const GrainSample& sample : samples) total += sample.ages.size();
    uint64_t word = 1 + static_cast<uint64_t>(resample) * total;
    std::vector<GrainSample> drawn;
    drawn.reserve(samples.size());
    for (const GrainSample& sample : samples) {
        const size_t n = sample.ages.size();
        GrainSample copy{sample.name, std::vector<double>(n), {}};
        if (!sample.sigmas.empty()) copy.sigmas.resize(n);
        for (size_t g = 0; g < n; ++g, ++word) {
            const double u = openUniform(splitmixWord(seed, word));
            const size_t pick = std::min(n - 1, static_cast<size_t>(u * static_cast<double>(n)));
            copy.ages[g] = sample.ages[pick];
            if (!sample.sigmas.empty()) copy.sigmas[g] = sample.sigmas[pick];
        }
        drawn.push_back(std::move(copy));
    }
    return drawn;
}

double linearPercentile(std::vector<double> values, double q) {
    std::sort(values.begin(), values.end());
    const double position = static_cast<double>(values.size() - 1) * q;
    const size_t below = static_cast<size_t>(std::floor(position));
    const size_t above = std::min(below + 1, values.size() - 1);
    const double fraction = position - static_cast<double>(below);
    return values[below] + fraction * (values[above] - values[below]);
}

BootstrapFits bootstrapFits(
    const std::vector<GrainSample>& samples, int64_t resamples, uint64_t seed, unsigned threads,
    const std::function<std::vector<SourceMixture>(const std::vector<GrainSample>&)>& refit,
    const UnmixingProgress& progress) {
    BootstrapFits result;
    result.fits.resize(static_cast<size_t>(resamples));
    std::atomic<bool> stop{false};
    std::mutex progressLock;
    int64_t done = 0;
    forEachIndexInParallel(resamples, threads, [&](int64_t r) {
        if (stop) return;
        result.fits[static_cast<size_t>(r)] = refit(resampleGrains(samples, seed, r));
        if (!progress) return;
        const std::lock_guard<std::mutex> lock(progressLock);
        if (!progress(++done, resamples)) stop = true;
    });
    if (stop) {
        result.cancelled = true;
        result.fits.clear();
    }
    return result;
}

}  // namespace kestrel
