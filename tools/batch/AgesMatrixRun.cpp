// The many-sample comparison from grain ages.
#include "tools/batch/AgesMatrixRun.h"

#include "engine/ClassicalMds.h"
#include "engine/NumberText.h"
#include "engine/measures/GrainMatrix.h"
#include "sheet/core/MatrixWorkbook.h"
#include "tools/batch/AgesRun.h"
#include "tools/batch/BatchSteps.h"

namespace kestrel::batch {
namespace {

std::string percent(double share) {
    return formatFixed(100.0 * share, 1) + "%";
}

}  // namespace

void runAgesMatrix(const AgesSettings& settings, std::ostream& out, std::ostream& err,
                   const MatrixGraphWriter& writeGraphs) {
    refuseFilesOverInput(settings);
    checkGraphsFolder(settings.run.graphs, static_cast<bool>(writeGraphs));
    const GrainAges ages = readAgesOf(settings);
    const ProfileMatrix matrix = compareAllGrainPairs(ages.samples);
    const MdsMap map = classicalMds(matrix.D);
    size_t grains = 0;
    for (const GrainSample& sample : ages.samples) grains += sample.ages.size();
    const size_t k = ages.samples.size();
    out << k << " samples, " << grains << " grains: " << k * (k - 1) / 2 << " pairs\n"
        << "MDS of grain D: axis 1 holds " << percent(map.varianceShare[0])
        << " of the variance, axis 2 " << percent(map.varianceShare[1]) << '\n';
    out.flush();
    if (settings.profilesOut) {
        writeProfilesFile(*settings.profilesOut, ages.samples,
                          buildDensityProfiles(ages.samples, settings.density));
        warnOfBandwidthsWithoutRoot(ages.samples, settings.density, err);
    }
    if (settings.run.graphs)
        writeGraphs(matrix, map, *settings.run.graphs, settings.run.graphFormat);
    if (settings.matrixOut) writeMatrixFile(*settings.matrixOut, matrix, map);
}

}  // namespace kestrel::batch
