// The headless comparison from grain ages.
#include "tools/batch/AgesRun.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "engine/KestrelError.h"
#include "engine/ProfileData.h"
#include "engine/comparison/GrainWindows.h"
#include "engine/density/BotevBandwidth.h"
#include "engine/density/GridCoverage.h"
#include "engine/measures/KsSamples.h"
#include "engine/measures/Kuiper.h"
#include "sheet/core/CsvWriter.h"
#include "sheet/core/MatrixWorkbook.h"
#include "sheet/core/ProfilesSheet.h"
#include "sheet/core/SpreadsheetCore.h"
#include "sheet/core/WorkbookReader.h"
#include "sheet/core/WorkbookWriter.h"
#include "tools/batch/BatchSteps.h"

namespace kestrel::batch {
// A sample left out refuses the run that names it, with the reason it was left out for.
const GrainSample& sampleNamed(const GrainAges& ages, const std::string& name,
                               const std::string& workbook) {
    const std::vector<GrainSample>& samples = ages.samples;
    const auto found = std::find_if(samples.begin(), samples.end(),
                                    [&](const GrainSample& s) { return s.name == name; });
    if (found != samples.end()) return *found;
    for (const UnusableSample& unusable : ages.unusable) {
        if (unusable.name == name) throw KestrelError(workbook + ": " + unusable.reason);
    }
    std::string known;
    for (const GrainSample& s : samples) known += (known.empty() ? "" : ", ") + s.name;
    throw KestrelError(workbook + ": no sample is named \"" + name + "\" (the samples are " +
                       known + ")");
}

GrainAges readAgesOf(const AgesSettings& settings, size_t fewestSamples) {
    SpreadsheetCore source;
    int16_t fileType = kFileTypeExcel97;
    source.ReadWorkbook(settings.run.workbook, fileType);
    selectSheet(source, settings.run.sheet, settings.run.workbook);
    GrainAgesRequest request = settings.request;
    request.sheet = source.Sheet();
    GrainAges ages;
    try {
        ages = readGrainAges(source.workbook(), request);
    } catch (const KestrelError& error) {
        throw KestrelError(settings.run.workbook + ": " + error.what());
    }
    // Too few samples left to compare: the first one left out says why, as without them.
    if (ages.samples.size() < fewestSamples && !ages.unusable.empty()) {
        throw KestrelError(settings.run.workbook + ": " + ages.unusable.front().reason);
    }
    return ages;
}

void warnOfUnusableSamples(const GrainAges& ages, std::ostream& err) {
    for (const UnusableSample& sample : ages.unusable) {
        err << "kestrel-batch: warning: sample \"" << sample.name
            << "\" is left out: " << sample.reason << '\n';
    }
}

namespace {

// The two profiles on the grid, as the rows of a sheet would give them.
ProfileData profileRows(const DensityProfiles& profiles, size_t first, size_t second) {
    ProfileData data;
    const auto rows = static_cast<int32_t>(profiles.ages.size());
    data.resizeInputs(rows);
    for (int32_t k = 1; k <= rows; ++k) {
        const auto at = static_cast<size_t>(k - 1);
        data.AgeData[static_cast<size_t>(k)] = profiles.ages[at];
        data.Y1Data[static_cast<size_t>(k)] = profiles.profiles[first][at];
        data.Y2Data[static_cast<size_t>(k)] = profiles.profiles[second][at];
    }
    return data;
}

}  // namespace

void refuseFilesOverInput(const AgesSettings& settings) {
    const std::pair<const char*, const std::optional<std::string>*> outputs[] = {
        {"profiles file", &settings.profilesOut}, {"matrix file", &settings.matrixOut}};
    for (const auto& [what, path] : outputs) {
        std::error_code error;
        if (*path && std::filesystem::equivalent(settings.run.workbook, **path, error)) {
            throw KestrelError(std::string("The ") + what + " " + **path +
                               " is the workbook being compared; choose another name");
        }
    }
}

void noteGrainsOutsideGrid(const std::vector<GrainSample>& samples, const DensityProfiles& profiles,
                           const std::vector<size_t>& which, std::ostream& err) {
    const std::string note = grainsOutsideGridNote(samples, profiles.ages, which);
    if (!note.empty()) err << "kestrel-batch: note: " << note << "\n";
}

void warnOfBandwidthsWithoutRoot(const std::vector<GrainSample>& samples,
                                 const DensityProfiles& profiles, std::ostream& err) {
    for (const auto& [sample, estimate] : samplesWithoutBandwidthRoot(profiles)) {
        err << "kestrel-batch: warning: sample \"" << samples[sample].name
            << "\" has too few distinct ages (" << estimate.distinctAges
            << ") for the diffusion bandwidth, whose last resort, "
            << shortestNumberText(estimate.bandwidth)
            << " age units, draws a spike per grain; give --bandwidth\n";
    }
}

std::string grainsLine(const std::vector<double>& ages1, const std::vector<double>& ages2) {
    const KsSamplesTest ks = ksSamplesTest(ages1, ages2);
    const KuiperTest kuiper = kuiperTest(ages1, ages2);
    return "grains n1=" + std::to_string(ks.n1) + " n2=" + std::to_string(ks.n2) +
           " D=" + shortestNumberText(ks.d) + " p=" + shortestNumberText(ks.p) + " " +
           ksSamplesMethodName(ks) + " V=" + shortestNumberText(kuiper.v) +
           " p=" + shortestNumberText(kuiper.p);
}

void runAges(const AgesSettings& settings, std::ostream& out, std::ostream& err,
             const GraphWriter& writeGraphs) {
    refuseSummaryOverInput(settings.run);
    refuseFilesOverInput(settings);
    checkGraphsFolder(settings.run.graphs, static_cast<bool>(writeGraphs));
    const GrainAges ages = readAgesOf(settings);
    const GrainSample& first = sampleNamed(ages, settings.samples.first, settings.run.workbook);
    const GrainSample& second = sampleNamed(ages, settings.samples.second, settings.run.workbook);
    warnOfUnusableSamples(ages, err);
    const DensityProfiles profiles = buildDensityProfiles(ages.samples, settings.density);
    warnOfBandwidthsWithoutRoot(ages.samples, profiles, err);
    const auto indexOf = [&](const GrainSample& sample) {
        return static_cast<size_t>(&sample - ages.samples.data());
    };
    noteGrainsOutsideGrid(ages.samples, profiles, {indexOf(first), indexOf(second)}, err);
    if (settings.profilesOut) writeProfilesFile(*settings.profilesOut, ages.samples, profiles);

    // The profiles are compared as two profile columns would be, with the grains as the
    // sample sizes; the windows table tests each window's own grains.
    BatchSettings run = settings.run;
    run.grains = GrainCounts{static_cast<int32_t>(first.ages.size()),
                             static_cast<int32_t>(second.ages.size())};
    ProfileData data = profileRows(profiles, indexOf(first), indexOf(second));
    const GrainWindows grainWindows(first.ages, second.ages);
    std::string note;
    if (ages.emptyCellsSkipped > 0) {
        note = std::to_string(ages.emptyCellsSkipped) +
               (ages.emptyCellsSkipped == 1 ? " empty cell" : " empty cells") +
               " among the ages skipped";
    }
    compareAndWrite(run, data, note, &grainWindows, out, err, writeGraphs);
    out << grainsLine(first.ages, second.ages) << '\n';
}

}  // namespace kestrel::batch
