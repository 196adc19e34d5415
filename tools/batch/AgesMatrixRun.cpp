// The many-sample comparison from grain ages.
#include "tools/batch/AgesMatrixRun.h"

#include <algorithm>

#include "engine/NumberText.h"
#include "engine/comparison/MeasureMatrix.h"
#include "sheet/core/MatrixWorkbook.h"
#include "sheet/core/ProfilesSheet.h"
#include "tools/batch/AgesRun.h"
#include "tools/batch/BatchSteps.h"
#include "tools/batch/MapOfMatrix.h"

namespace kestrel::batch {
namespace {

// "grain D" as before, else the measure mapped ("1 - Similarity" of the profiles, "W2" of the
// grains).
std::string mapMeasureText(const ProfileMatrix& matrix) {
    if (matrix.mapMeasure == matrix.measures.front().measure) return "grain D";
    const MeasureInfo& info = measureInfo(matrix.mapMeasure);
    return std::string(info.likeness ? "1 - " : "") + info.name;
}

}  // namespace

void runAgesMatrix(const AgesSettings& settings, std::ostream& out, std::ostream& err,
                   const MatrixGraphWriter& writeGraphs) {
    refuseFilesOverInput(settings);
    checkGraphsFolder(settings.run.graphs, static_cast<bool>(writeGraphs));
    const GrainAges ages = readAgesOf(settings);
    warnOfUnusableSamples(ages, err);
    ComparisonRequest request;
    request.grainAges = &ages.samples;
    request.measures = settings.measures;
    request.onlyThoseThatApply = settings.everyMeasure;
    request.judgedMap = settings.mds;
    const bool profilesNeeded =
        settings.profilesOut || std::any_of(settings.measures.begin(), settings.measures.end(),
                                            comparesGrainAgesByProfiles);
    const DensityProfiles profiles =
        profilesNeeded ? buildDensityProfiles(ages.samples, settings.density) : DensityProfiles{};
    // A spike per grain matters to the measures of profiles as much as to the profiles file.
    warnOfBandwidthsWithoutRoot(ages.samples, profiles, err);
    noteGrainsOutsideGrid(ages.samples, profiles, {}, err);
    request.gridAges = &profiles.ages;
    request.grainProfiles = &profiles.profiles;
    const SampleComparison comparison = compareSamples(request);
    const ProfileMatrix& matrix = comparison.matrix;
    size_t grains = 0;
    for (const GrainSample& sample : ages.samples) grains += sample.ages.size();
    const size_t k = ages.samples.size();
    out << k << " samples, " << grains << " grains: " << k * (k - 1) / 2 << " pairs\n";
    printMap(comparison, "MDS of " + mapMeasureText(matrix), out);
    out.flush();
    if (settings.profilesOut) writeProfilesFile(*settings.profilesOut, ages.samples, profiles);
    if (settings.run.graphs)
        writeGraphs(matrix, comparison.map, *settings.run.graphs, settings.run.graphFormat);
    if (settings.matrixOut) writeJudgedMatrixFile(*settings.matrixOut, comparison);
}

}  // namespace kestrel::batch
