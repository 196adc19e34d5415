// Printing and writing the map of a matrix.
#include "tools/batch/MapOfMatrix.h"

#include "engine/NumberText.h"
#include "sheet/core/MatrixWorkbook.h"

namespace kestrel::batch {

void printMap(const SampleComparison& comparison, const std::string& title, std::ostream& out) {
    const MdsMap& map = comparison.map;
    const auto percent = [](double share) { return formatFixed(100.0 * share, 1) + "%"; };
    out << title << ": axis 1 holds " << percent(map.varianceShare[0]) << " of the "
        << (map.disparities.empty() ? "variance" : "map's spread") << ", axis 2 "
        << percent(map.varianceShare[1]) << '\n';
    if (!map.stress1) return;
    out << "Stress-1 of the map: " << formatFixed(*map.stress1, 6);
    if (!comparison.nonmetric) {
        out << " (classical MDS)\n";
        return;
    }
    out << " (nonmetric MDS, " << comparison.iterations << " iterations)\n";
    if (comparison.collapsed) {
        out << "The nonmetric map has collapsed its groups to points, so its stress says nothing: "
               "read the classical map (--mds classical)\n";
    }
}

void writeJudgedMatrixFile(const std::string& path, const SampleComparison& comparison) {
    const MdsMap& map = comparison.map;
    if (!map.stress1) return writeMatrixFile(path, comparison.matrix, map);
    writeMatrixFile(path, comparison.matrix, map, comparison.neighbours, map.stress1);
}

}  // namespace kestrel::batch
