// Unmixing and end-members of grain-age samples, without a window.
#include "tools/batch/UnmixingRun.h"

#include "engine/KestrelError.h"
#include "engine/unmixing/NmfEndMembers.h"
#include "sheet/core/UnmixingSheet.h"
#include "tools/batch/AgesRun.h"

namespace kestrel::batch {
namespace {

std::string fitNames(const std::vector<UnmixingFit>& fits) {
    std::string text;
    for (size_t f = 0; f < fits.size(); ++f) {
        if (f > 0) text += f + 1 == fits.size() ? " and " : ", ";
        text += unmixingFit(fits[f]).name;
    }
    return text;
}

void unmix(const GrainAges& ages, const AgesSettings& settings, std::ostream& out) {
    const UnmixingSettings& asked = *settings.unmixing;
    const std::string& workbook = settings.run.workbook;
    const GrainSample& sink = sampleNamed(ages, *asked.sink, workbook);
    std::vector<GrainSample> sources;
    for (const std::string& name : asked.sources)
        sources.push_back(sampleNamed(ages, name, workbook));
    UnmixingOptions options;
    options.fits = asked.fits;
    options.resamples = asked.resamples;
    options.seed = asked.seed;
    options.density = settings.density;
    UnmixingResult result;
    try {
        result = unmixSample(sink, sources, options);
    } catch (const KestrelError& error) {
        throw KestrelError(workbook + ": " + error.what());
    }
    out << "unmixing \"" << sink.name << "\" into " << sources.size() << " sources by "
        << fitNames(asked.fits);
    if (asked.resamples > 0) out << ", " << asked.resamples << " bootstrap resamples";
    writeUnmixingFile(*asked.unmixOut, asked.sources, result);
}

void endMembers(const GrainAges& ages, const AgesSettings& settings, std::ostream& out,
                std::ostream& err) {
    const UnmixingSettings& asked = *settings.unmixing;
    const std::string& workbook = settings.run.workbook;
    std::vector<std::string> names;
    for (const GrainSample& sample : ages.samples) names.push_back(sample.name);
    std::vector<NmfFit> byK;
    NmfFit fit;
    std::vector<double> grid;
    try {
        DensityProfiles profiles = buildDensityProfiles(ages.samples, settings.density);
        grid = std::move(profiles.ages);
        if (*asked.nmf == 0) {
            byK = nmfEndMembersByK(profiles.profiles, names, 2, 8, {});
            fit = byK[chooseEndMemberCount(byK)];
        } else {
            fit = nmfEndMembers(profiles.profiles, names, *asked.nmf, {});
        }
    } catch (const KestrelError& error) {
        throw KestrelError(workbook + ": " + error.what());
    }
    for (const NmfFit& tried : byK.empty() ? std::vector<NmfFit>{fit} : byK) {
        if (tried.converged) continue;
        err << "kestrel-batch: note: the factorisation with k = " << tried.k << " stopped after "
            << tried.iterations << " iterations before settling\n";
    }
    out << "end-members of " << names.size() << " samples: k = " << fit.k
        << (byK.empty() ? "" : " (chosen from 2 to " + std::to_string(byK.back().k) + ")")
        << ", residual " << fit.residual;
    writeEndMembersFile(*asked.nmfOut, grid, names, fit, byK);
}

}  // namespace

void runUnmixing(const AgesSettings& settings, std::ostream& out, std::ostream& err) {
    const UnmixingSettings& asked = *settings.unmixing;
    const GrainAges ages = readAgesOf(settings, asked.sink ? 3 : 2);
    warnOfUnusableSamples(ages, err);
    if (asked.sink) unmix(ages, settings, out);
    if (asked.nmf) {
        if (asked.sink) out << "; ";
        endMembers(ages, settings, out, err);
    }
    out << '\n';
}

}  // namespace kestrel::batch
