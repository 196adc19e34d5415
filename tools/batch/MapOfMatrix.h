// The map of a many-sample comparison as kestrel-batch draws it: classical MDS of the mapped
// measure's dissimilarities, and with --mds the map judged by its stress (or refitted as a
// nonmetric map).
#pragma once

#include <optional>
#include <ostream>
#include <string>

#include "engine/ClassicalMds.h"
#include "engine/ProfileMatrix.h"
#include "tools/batch/MatrixSettings.h"

namespace kestrel::batch {

/// @brief The classical map of dissimilaritiesOf(matrix, matrix.mapMeasure); with `kind` also
/// its stress-1 (classical: against the dissimilarities; nonmetric: the map refitted from the
/// classical one, its stress against its disparities, which it keeps). With `kind`, prints
/// "Stress-1 of the map: 0.065423 (nonmetric MDS, 115 iterations)" or "(classical MDS)" on `out`.
MdsMap mapOfMatrix(const ProfileMatrix& matrix, const std::optional<MdsKind>& kind,
                   std::ostream& out);

/// @brief mapOfMatrix(), printing first the line "<title>: axis 1 holds 55.9% of the variance,
/// axis 2 28.1%" (a nonmetric map: "of the map's spread") and then what mapOfMatrix prints.
MdsMap printedMapOfMatrix(const ProfileMatrix& matrix, const std::optional<MdsKind>& kind,
                          const std::string& title, std::ostream& out);

/// @brief Writes the matrix file; a map judged by its stress (--mds) adds the stress and each
/// sample's two nearest neighbours by the mapped measure to the MDS block.
void writeJudgedMatrixFile(const std::string& path, const ProfileMatrix& matrix, const MdsMap& map);

}  // namespace kestrel::batch
