// Drawing and judging the map of a matrix.
#include "tools/batch/MapOfMatrix.h"

#include <sstream>

#include "engine/MdsStress.h"
#include "engine/MeasureMatrix.h"
#include "engine/NearestNeighbours.h"
#include "engine/NonmetricMds.h"
#include "engine/NumberText.h"
#include "sheet/core/MatrixWorkbook.h"

namespace kestrel::batch {

MdsMap mapOfMatrix(const ProfileMatrix& matrix, const std::optional<MdsKind>& kind,
                   std::ostream& out) {
    const SquareMatrix dissimilarities = dissimilaritiesOf(matrix, matrix.mapMeasure);
    const MdsMap classical = classicalMds(dissimilarities);
    if (!kind) return classical;
    int32_t iterations = 0;
    MdsMap map = judgedMap(dissimilarities, classical, *kind == MdsKind::Nonmetric, &iterations);
    out << "Stress-1 of the map: " << formatFixed(*map.stress1, 6);
    if (*kind == MdsKind::Classical) {
        out << " (classical MDS)\n";
        return map;
    }
    out << " (nonmetric MDS, " << iterations << " iterations)\n";
    if (collapsedMap(map, *map.stress1)) {
        out << "The nonmetric map has collapsed its groups to points, so its stress says nothing: "
               "read the classical map (--mds classical)\n";
    }
    return map;
}

MdsMap printedMapOfMatrix(const ProfileMatrix& matrix, const std::optional<MdsKind>& kind,
                          const std::string& title, std::ostream& out) {
    const auto percent = [](double share) { return formatFixed(100.0 * share, 1) + "%"; };
    std::ostringstream judged;
    MdsMap map = mapOfMatrix(matrix, kind, judged);
    out << title << ": axis 1 holds " << percent(map.varianceShare[0]) << " of the "
        << (map.disparities.empty() ? "variance" : "map's spread") << ", axis 2 "
        << percent(map.varianceShare[1]) << '\n'
        << judged.str();
    return map;
}

void writeJudgedMatrixFile(const std::string& path, const ProfileMatrix& matrix,
                           const MdsMap& map) {
    if (!map.stress1) return writeMatrixFile(path, matrix, map);
    writeMatrixFile(path, matrix, map,
                    nearestNeighbours(dissimilaritiesOf(matrix, matrix.mapMeasure)), map.stress1);
}

}  // namespace kestrel::batch
