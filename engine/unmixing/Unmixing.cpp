// The table of unmixing fits, the checks of the samples and the forward unmixing with its
// bootstrap.
#include "engine/unmixing/Unmixing.h"

#include <algorithm>
#include <cctype>
#include <cmath>

#include "engine/KestrelError.h"
#include "engine/density/ProfileMethods.h"
#include "engine/unmixing/ProfileMixtureFit.h"

namespace kestrel {
namespace {

bool sameLetters(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

void checkGrains(const GrainSample& sample, const char* role) {
    if (sample.ages.size() < 2) {
        throw KestrelError("Sample \"" + sample.name + "\": the " + role +
                           " needs at least two ages to be unmixed, it has " +
                           std::to_string(sample.ages.size()));
    }
    for (size_t g = 0; g < sample.ages.size(); ++g) {
        if (!std::isfinite(sample.ages[g])) {
            throw KestrelError("Sample \"" + sample.name + "\": the age of grain " +
                               std::to_string(g + 1) + " is not a finite number");
        }
    }
}

// What the profile fit needs of every sample's profile on the common grid.
struct ProfileSetting {
    DensityKind kind;
    AgeGrid grid;
    std::vector<double> bandwidths;  // sink first; empty for PDP
};

// The samples' profiles (sink first), refusing one that is 0 on the whole grid.
DensityProfiles checkedProfiles(const std::vector<GrainSample>& samples,
                                const DensityOptions& options) {
    DensityProfiles built = buildDensityProfiles(samples, options);
    for (size_t s = 0; s < samples.size(); ++s) {
        const auto& profile = built.profiles[s];
        if (std::none_of(profile.begin(), profile.end(), [](double v) { return v > 0.0; })) {
            throw KestrelError("Sample \"" + samples[s].name +
                               "\": its profile is 0 on the whole age grid; widen the grid to "
                               "cover its ages");
        }
    }
    return built;
}

// Profiles of resampled grains on the first fit's grid, each sample with its first bandwidth.
std::vector<std::vector<double>> profilesOf(const std::vector<GrainSample>& samples,
                                            const ProfileSetting& setting) {
    const ProfileMethod& method = profileMethod(setting.kind);
    std::vector<std::vector<double>> profiles;
    for (size_t s = 0; s < samples.size(); ++s) {
        const double bandwidth = setting.bandwidths.empty() ? 0.0 : setting.bandwidths[s];
        profiles.push_back(method.build(samples[s], setting.grid, bandwidth));
    }
    return profiles;
}

SourceMixture profileFit(const std::vector<std::vector<double>>& profiles) {
    return fitProfileMixture(profiles.front(), {profiles.begin() + 1, profiles.end()});
}

// Every asked fit of the samples (sink first); `profiles` the samples' profiles when the
// profile fit is asked (else empty).
std::vector<SourceMixture> fitAll(const std::vector<GrainSample>& samples,
                                  const std::vector<UnmixingFit>& fits,
                                  const std::vector<std::vector<double>>& profiles) {
    std::vector<std::vector<double>> sourceAges;
    for (size_t s = 1; s < samples.size(); ++s) sourceAges.push_back(samples[s].ages);
    std::optional<CdfTable> table;
    std::vector<SourceMixture> result;
    for (UnmixingFit fit : fits) {
        if (fit == UnmixingFit::Profiles) {
            result.push_back(profileFit(profiles));
            continue;
        }
        if (!table) table = cdfTable(samples.front().ages, sourceAges);
        result.push_back(
            fitCdfMixture(*table, fit == UnmixingFit::D ? CdfDistance::D : CdfDistance::V));
    }
    return result;
}

// Each estimate's 2.5 and 97.5 percentiles over the resamples.
void addIntervals(std::vector<UnmixingEstimate>& estimates, const BootstrapFits& boot) {
    for (size_t f = 0; f < estimates.size(); ++f) {
        UnmixingEstimate& estimate = estimates[f];
        std::vector<double> values;
        for (const auto& fits : boot.fits) values.push_back(fits[f].value);
        estimate.valueLower = linearPercentile(values, 0.025);
        estimate.valueUpper = linearPercentile(values, 0.975);
        for (size_t i = 0; i < estimate.proportions.size(); ++i) {
            std::vector<double> shares;
            for (const auto& fits : boot.fits) shares.push_back(fits[f].proportions[i]);
            estimate.lower.push_back(linearPercentile(shares, 0.025));
            estimate.upper.push_back(linearPercentile(shares, 0.975));
        }
    }
}

}  // namespace

const std::vector<UnmixingFitInfo>& allUnmixingFits() {
    static const std::vector<UnmixingFitInfo> fits{
        {UnmixingFit::D, "d", "D", "D",
         "the mixture whose cumulative age distribution is nearest the sink's by the "
         "Kolmogorov-Smirnov D (the largest gap), the exact minimum",
         true},
        {UnmixingFit::V, "v", "V", "V",
         "the mixture whose cumulative age distribution is nearest the sink's by Kuiper's V "
         "(the largest gap above plus the largest below), the exact minimum",
         true},
        {UnmixingFit::Profiles, "profiles", "profiles", "R2",
         "the least-squares mixture of the profiles (PDP or KDE), with its cross-correlation R2",
         false},
    };
    return fits;
}

const UnmixingFitInfo& unmixingFit(UnmixingFit fit) {
    return allUnmixingFits()[static_cast<size_t>(fit)];
}

const UnmixingFitInfo* unmixingFitByKey(std::string_view keyOrName) {
    for (const UnmixingFitInfo& info : allUnmixingFits()) {
        if (sameLetters(keyOrName, info.key) || sameLetters(keyOrName, info.name)) return &info;
    }
    return nullptr;
}

std::string unmixingFitKeys() {
    return "d, v or profiles";
}

void checkUnmixingSamples(const GrainSample& sink, const std::vector<GrainSample>& sources) {
    if (sources.size() < 2) {
        throw KestrelError("Sample \"" + sink.name + "\": unmixing needs at least two sources, " +
                           std::to_string(sources.size()) + " given");
    }
    checkGrains(sink, "sink");
    for (size_t s = 0; s < sources.size(); ++s) {
        if (sources[s].name == sink.name) {
            throw KestrelError("Sample \"" + sink.name +
                               "\" is the sink and cannot be one of its own sources");
        }
        for (size_t t = 0; t < s; ++t) {
            if (sources[t].name == sources[s].name)
                throw KestrelError("Sample \"" + sources[s].name + "\" is named twice as a source");
        }
        checkGrains(sources[s], "source");
    }
}

UnmixingResult unmixSample(const GrainSample& sink, const std::vector<GrainSample>& sources,
                           const UnmixingOptions& options) {
    checkUnmixingSamples(sink, sources);
    std::vector<GrainSample> samples{sink};
    samples.insert(samples.end(), sources.begin(), sources.end());
    const bool withProfiles = std::find(options.fits.begin(), options.fits.end(),
                                        UnmixingFit::Profiles) != options.fits.end();
    std::vector<std::vector<double>> profiles;
    ProfileSetting setting{options.density.kind, {}, {}};
    if (withProfiles) {
        DensityProfiles built = checkedProfiles(samples, options.density);
        setting.grid = built.grid;
        setting.bandwidths = built.bandwidths;
        profiles = std::move(built.profiles);
    }
    UnmixingResult result;
    const std::vector<SourceMixture> fits = fitAll(samples, options.fits, profiles);
    for (size_t f = 0; f < fits.size(); ++f)
        result.estimates.push_back({options.fits[f],
                                    fits[f].proportions,
                                    fits[f].value,
                                    {},
                                    {},
                                    std::nullopt,
                                    std::nullopt});
    if (options.resamples <= 0) return result;
    const auto refit = [&](const std::vector<GrainSample>& drawn) {
        return fitAll(
            drawn, options.fits,
            withProfiles ? profilesOf(drawn, setting) : std::vector<std::vector<double>>{});
    };
    const BootstrapFits boot = bootstrapFits(samples, options.resamples, options.seed,
                                             options.threads, refit, options.progress);
    result.cancelled = boot.cancelled;
    if (boot.cancelled) return result;
    result.resamples = options.resamples;
    addIntervals(result.estimates, boot);
    return result;
}

EndMembers endMembersOfSamples(const std::vector<GrainSample>& samples,
                               const DensityOptions& density, int k, const NmfOptions& options) {
    EndMembers result;
    for (const GrainSample& sample : samples) result.samples.push_back(sample.name);
    DensityProfiles profiles = buildDensityProfiles(samples, density);
    result.ages = std::move(profiles.ages);
    if (k > 0) {
        result.fit = nmfEndMembers(profiles.profiles, result.samples, k, options);
        return result;
    }
    result.byK = nmfEndMembersByK(profiles.profiles, result.samples, 2, 8, options);
    result.fit = result.byK[chooseEndMemberCount(result.byK)];
    return result;
}

}  // namespace kestrel
