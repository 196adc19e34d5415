// Unmixing and end-members of grain-age samples, without a window.
#include "tools/batch/UnmixingRun.h"

#include "engine/KestrelError.h"
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
    EndMembers found;
    try {
        found = endMembersOfSamples(ages.samples, settings.density, *asked.nmf, {});
    } catch (const KestrelError& error) {
        throw KestrelError(settings.run.workbook + ": " + error.what());
    }
    for (const NmfFit& tried : found.byK.empty() ? std::vector<NmfFit>{found.fit} : found.byK) {
        if (tried.converged) continue;
        err << "kestrel-batch: note: the factorisation with k = " << tried.k << " stopped after "
            << tried.iterations << " iterations before settling\n";
    }
    out << "end-members of " << found.samples.size() << " samples: k = " << found.fit.k
        << (found.byK.empty() ? ""
                              : " (chosen from 2 to " + std::to_string(found.byK.back().k) + ")")
        << ", residual " << found.fit.residual;
    writeEndMembersFile(*asked.nmfOut, found.ages, found.samples, found.fit, found.byK);
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
