// The many-sample comparison from grain ages.
#include "tools/batch/AgesMatrixRun.h"

#include <algorithm>

#include "engine/ClassicalMds.h"
#include "engine/MeasureMatrix.h"
#include "engine/NumberText.h"
#include "engine/measures/GrainMatrix.h"
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
    if (matrix.mapMeasure == Measure::KsD) return "grain D";
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
    ProfileMatrix matrix = compareAllGrainPairs(ages.samples);
    const bool profilesNeeded =
        settings.profilesOut ||
        std::any_of(settings.measures.begin(), settings.measures.end(), [](Measure m) {
            return m == Measure::Similarity || m == Measure::Likeness ||
                   m == Measure::CrossCorrelation;
        });
    const DensityProfiles profiles =
        profilesNeeded ? buildDensityProfiles(ages.samples, settings.density) : DensityProfiles{};
    // Similarity, Likeness and R² are computed from the profiles: a spike per grain matters to
    // them as much as to the profiles file.
    warnOfBandwidthsWithoutRoot(ages.samples, profiles, err);
    noteGrainsOutsideGrid(ages.samples, profiles, {}, err);
    addGrainMeasures(matrix, ages.samples, profiles.ages, profiles.profiles, settings.measures);
    matrix.mapMeasure = settings.measures.front();
    size_t grains = 0;
    for (const GrainSample& sample : ages.samples) grains += sample.ages.size();
    const size_t k = ages.samples.size();
    out << k << " samples, " << grains << " grains: " << k * (k - 1) / 2 << " pairs\n";
    const MdsMap map =
        printedMapOfMatrix(matrix, settings.mds, "MDS of " + mapMeasureText(matrix), out);
    out.flush();
    if (settings.profilesOut) writeProfilesFile(*settings.profilesOut, ages.samples, profiles);
    if (settings.run.graphs)
        writeGraphs(matrix, map, *settings.run.graphs, settings.run.graphFormat);
    if (settings.matrixOut) writeJudgedMatrixFile(*settings.matrixOut, matrix, map);
}

}  // namespace kestrel::batch
