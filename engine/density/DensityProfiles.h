// Probability profiles made from grain ages: every sample's PDP, KDE or adaptive KDE on one
// common age grid, each scaled so that its highest point is 100. The methods themselves are in
// Pdp.h, Kde.h (with BotevBandwidth.h) and AdaptiveKde.h.
#pragma once

#include <optional>
#include <utility>
#include <vector>

#include "engine/density/AgeGrid.h"
#include "engine/density/BotevBandwidth.h"
#include "engine/density/GrainSample.h"

namespace kestrel {

enum class DensityKind {
    Pdp,          ///< probability density plot: each grain's own 1-sigma (Pdp.h)
    Kde,          ///< Gaussian KDE, one bandwidth per sample (Kde.h)
    AdaptiveKde,  ///< Abramson's adaptive KDE on the fixed KDE as pilot (AdaptiveKde.h)
};

struct DensityOptions {
    DensityKind kind = DensityKind::Kde;
    /// KDE and adaptive KDE: the bandwidth (or pilot bandwidth) of every sample, in age units,
    /// above 0; absent: each sample's Botev bandwidth. PDP does not use it.
    std::optional<double> bandwidth;
    /// KDE and adaptive KDE without a typed bandwidth: every sample gets the median of the
    /// samples' Botev bandwidths (the mean of the middle two for an even count). PDP and a
    /// typed bandwidth do not use it.
    bool commonBandwidth = false;
    /// The grid; absent: defaultDensityGrid's.
    std::optional<AgeGrid> grid;
};

struct DensityProfiles {
    AgeGrid grid;
    std::vector<double> ages;  ///< the grid's ages, from + r * step
    /// One per sample, in the samples' order, as long as `ages`, scaled so the highest point is
    /// 100; a profile none of whose kernels reaches the grid stays all zeros.
    std::vector<std::vector<double>> profiles;
    /// KDE and adaptive KDE: each sample's bandwidth (the adaptive KDE's pilot bandwidth);
    /// empty for PDP.
    std::vector<double> bandwidths;
    /// Each sample's Botev estimate when the bandwidths came from it; empty otherwise.
    std::vector<BotevEstimate> botevEstimates;
};

/// @brief The default grid for the samples: defaultAgeGrid(low, high) with `low` the least,
/// over the samples, of the sample's smallest age minus 3 of that grain's 1-sigma (PDP; the
/// largest such sigma when several grains share the smallest age) or minus 3 of the sample's
/// bandwidth (KDE, adaptive KDE), and `high` alike the greatest of the largest age plus 3 sigma
/// or 3 bandwidths; when no age is below 0, `low` is at least 0. `bandwidths` as
/// DensityProfiles::bandwidths (unused for PDP). The samples must have passed their method's
/// checks. Throws as defaultAgeGrid does.
AgeGrid defaultDensityGrid(const std::vector<GrainSample>& samples, DensityKind kind,
                           const std::vector<double>& bandwidths);

/// @brief Divides the profile by its highest value and multiplies by 100, so its highest point
/// is exactly 100; a profile whose highest value is not above 0 (all zeros) is left as it is.
void scaleToHundred(std::vector<double>& profile);

/// @brief The median of the values (the mean of the middle two for an even count); values not
/// empty.
double medianBandwidth(std::vector<double> values);

/// @brief The samples (indices) whose Botev estimate the profiles were built with (KDE or
/// adaptive KDE without a typed bandwidth; with the common one, their estimates enter its
/// median) and whose diffusion equation has no root: the bandwidth is the estimator's last
/// resort, so small that each grain draws a spike. Each with its estimate.
std::vector<std::pair<size_t, BotevEstimate>> samplesWithoutBandwidthRoot(
    const DensityProfiles& profiles);

/// @brief Every sample's profile on one common grid. Samples are checked in order, so the
/// first bad one is named: no ages, an age not finite; PDP: a 1-sigma missing, not finite or
/// not above 0; KDE and adaptive KDE: a typed bandwidth not above 0, and without one a sample
/// whose Botev bandwidth cannot be estimated (fewer than two distinct ages). Also refused: no
/// samples without a grid, a grid ageGridRows refuses (or no default grid for ages and
/// bandwidths beyond the doubles' range), and a profile or adaptive bandwidths whose values
/// leave the range of doubles (a sigma or bandwidth near 1e-300). Samples are worked on in
/// parallel, one per core.
DensityProfiles buildDensityProfiles(const std::vector<GrainSample>& samples,
                                     const DensityOptions& options);

}  // namespace kestrel
