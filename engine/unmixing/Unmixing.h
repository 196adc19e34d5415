// Unmixing a sample of detrital grain ages into its sources. Forward: the proportions of known
// source samples whose mixture best matches a sink sample, by three fits (the exact minimum of
// the Kolmogorov-Smirnov D or Kuiper's V of the cumulative distributions, CdfMixtureFit.h; the
// least-squares mixture of the profiles with its cross-correlation R^2, ProfileMixtureFit.h),
// each with a bootstrap 95% interval (UnmixingBootstrap.h). Inverse: end-member profiles of many
// samples by non-negative matrix factorisation (NmfEndMembers.h).
//
// The methods follow K. E. Sundell and J. E. Saylor (2017), Geochemistry, Geophysics,
// Geosystems 18, 2872-2886, and J. E. Saylor, K. E. Sundell and G. R. Sharman (2019),
// "Characterizing sediment sources by non-negative matrix factorization of detrital
// geochronological data", Earth and Planetary Science Letters 512, 46-58.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/density/DensityProfiles.h"
#include "engine/density/GrainSample.h"
#include "engine/unmixing/NmfEndMembers.h"
#include "engine/unmixing/UnmixingBootstrap.h"

namespace kestrel {

/// The fits, in the order every table and file lists them.
enum class UnmixingFit { D, V, Profiles };

/// One row of the table of fits.
struct UnmixingFitInfo {
    UnmixingFit fit;
    const char* key;          ///< as kestrel-batch's --fit spells it: "d", "v", "profiles"
    const char* name;         ///< as files and tables show it: "D", "V", "profiles"
    const char* valueName;    ///< what the fit value is: "D", "V", "R2"
    const char* description;  ///< one sentence, for tooltips and help
    bool lowerIsBetter;       ///< D and V fall as the fit improves; R^2 rises
};

/// @brief Every fit, in the order of UnmixingFit.
const std::vector<UnmixingFitInfo>& allUnmixingFits();

/// @brief The table row of `fit`.
const UnmixingFitInfo& unmixingFit(UnmixingFit fit);

/// @brief The fit named by `key` or `name`, any case; nullptr for none.
const UnmixingFitInfo* unmixingFitByKey(std::string_view keyOrName);

/// @brief The keys as messages and help list them: "d, v or profiles".
std::string unmixingFitKeys();

/// What the forward unmixing is asked for.
struct UnmixingOptions {
    std::vector<UnmixingFit> fits{UnmixingFit::D, UnmixingFit::V, UnmixingFit::Profiles};
    int64_t resamples = 1000;  ///< bootstrap resamples; 0 for none
    uint64_t seed = 1;         ///< the resampling's seed: the same seed, the same intervals
    /// The profiles of the profile fit: method, bandwidth and grid as for the other workflows.
    /// Each sample keeps the bandwidth of its own grains in the bootstrap (typed, Botev's or the
    /// common one), and the grid stays the same.
    DensityOptions density;
    unsigned threads = 0;       ///< bootstrap threads; 0: one per core
    UnmixingProgress progress;  ///< optional; see UnmixingProgress
};

/// @brief One fit's result: the proportions of the sources (in their order, summing to 1) and
/// the fit value (D, V or R^2); with a bootstrap, the 2.5 and 97.5 percentiles of each
/// proportion (`lower`, `upper`, as long as `proportions`) and of the value.
struct UnmixingEstimate {
    UnmixingFit fit = UnmixingFit::D;
    std::vector<double> proportions;
    double value = 0.0;
    std::vector<double> lower, upper;
    std::optional<double> valueLower, valueUpper;
};

struct UnmixingResult {
    std::vector<UnmixingEstimate> estimates;  ///< in the order of UnmixingOptions::fits
    int64_t resamples = 0;                    ///< bootstrap resamples behind the intervals
    bool cancelled = false;  ///< the progress callback stopped the bootstrap: no intervals
};

/// @brief Throws KestrelError naming the sample unless the sink and at least two sources can
/// be unmixed: fewer than two sources; a source named twice; the sink among the sources; a
/// sample with fewer than two ages; an age not finite.
void checkUnmixingSamples(const GrainSample& sink, const std::vector<GrainSample>& sources);

/// @brief The fits asked for, each with its bootstrap interval unless options.resamples is 0.
/// The samples are checked first (checkUnmixingSamples; for the profile fit also the profile
/// method's own checks, and a profile that is 0 on the whole grid). Throws KestrelError.
UnmixingResult unmixSample(const GrainSample& sink, const std::vector<GrainSample>& sources,
                           const UnmixingOptions& options);

/// The end-members of many samples, as the window and kestrel-batch show them.
struct EndMembers {
    std::vector<double> ages;          ///< the profiles' grid, the end-members' rows
    std::vector<std::string> samples;  ///< the samples' names, the weights' rows
    NmfFit fit;                        ///< the fit reported: k as asked, or chosen by auto
    std::vector<NmfFit> byK;           ///< auto: every k tried (2 to 8, below the samples)
};

/// @brief Every sample's profile (options.density: method, bandwidth, grid) factorised into k
/// end-members, or with k = 0 (auto) into 2 to 8 and the k chooseEndMemberCount picks. Throws
/// KestrelError naming the sample (the profile method's checks, a profile 0 on the whole
/// grid) or saying why k cannot be had.
EndMembers endMembersOfSamples(const std::vector<GrainSample>& samples,
                               const DensityOptions& density, int k, const NmfOptions& options);

}  // namespace kestrel
