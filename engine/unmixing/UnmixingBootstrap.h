// The bootstrap of B. Efron (1979), "Bootstrap methods: another look at the jackknife", Annals
// of Statistics 7, 1-26, for the unmixing fits: the grains of the sink and of every source are
// drawn again with replacement, as many as each sample has, the fits are made again on every
// such resample, and the 2.5 and 97.5 percentiles of each proportion and fit value bound a 95%
// interval.
//
// Grain g of sample s (the sink first, then the sources) in resample r is grain
// floor(u * n_s) of the sample, u the uniform of word k of the seed's splitmix64 stream
// (NormalDraws.h), k = 1 + r * N + (grains of the samples before s) + g, N all grains: every
// draw has its own word, so the resamples are the same whatever the number of threads.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "engine/density/GrainSample.h"
#include "engine/unmixing/CdfMixtureFit.h"

namespace kestrel {

/// @brief Called after each resample with the resamples done and their total, one call at a
/// time but from the worker threads; returning false stops the bootstrap (the resamples under
/// way finish, no new one starts).
using UnmixingProgress = std::function<bool(int64_t done, int64_t total)>;

/// @brief Resample `resample` of the samples (sink first): each sample's grains (age and, when
/// given, its 1-sigma together) drawn with replacement as described above.
std::vector<GrainSample> resampleGrains(const std::vector<GrainSample>& samples, uint64_t seed,
                                        int64_t resample);

/// @brief The q-quantile (0..1) of the values by numpy's default linear interpolation between
/// the order statistics: position (n - 1) q; values not empty.
double linearPercentile(std::vector<double> values, double q);

/// @brief The fits of every resample, in resample order ([resample][fit]); when the progress
/// callback stopped the run, `cancelled` and `fits` empty.
struct BootstrapFits {
    std::vector<std::vector<SourceMixture>> fits;
    bool cancelled = false;
};

/// @brief Calls refit on `resamples` resamples of the samples, spread over `threads` threads
/// (0: one per core). refit must be safe to call from several threads at once.
BootstrapFits bootstrapFits(
    const std::vector<GrainSample>& samples, int64_t resamples, uint64_t seed, unsigned threads,
    const std::function<std::vector<SourceMixture>(const std::vector<GrainSample>&)>& refit,
    const UnmixingProgress& progress);

}  // namespace kestrel
