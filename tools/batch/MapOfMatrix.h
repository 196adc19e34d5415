// What kestrel-batch prints and writes of a many-sample comparison: the map's lines and the
// matrix file with the judged map's stress and neighbours.
#pragma once

#include <ostream>
#include <string>

#include "engine/comparison/SampleComparison.h"

namespace kestrel::batch {

/// @brief Prints "<title>: axis 1 holds 55.9% of the variance, axis 2 28.1%" (a nonmetric map:
/// "of the map's spread"); a judged map (--mds) adds "Stress-1 of the map: 0.065423 (nonmetric
/// MDS, 115 iterations)" or "(classical MDS)", and for a nonmetric map that collapsed, the
/// warning to read the classical one.
void printMap(const SampleComparison& comparison, const std::string& title, std::ostream& out);

/// @brief Writes the matrix file; a map judged by its stress (--mds) adds the stress and each
/// sample's two nearest neighbours by the mapped measure to the MDS block.
void writeJudgedMatrixFile(const std::string& path, const SampleComparison& comparison);

}  // namespace kestrel::batch
