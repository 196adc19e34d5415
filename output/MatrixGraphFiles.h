// The MDS map and the heat map written as files (for kestrel-batch --matrix --graphs).
#pragma once

#include <string>

#include "engine/ClassicalMds.h"
#include "engine/comparison/ProfileMatrix.h"
#include "output/GraphExport.h"

namespace kestrel {

/// @brief Draws the map and the heat map and writes "MDS" and "Matrix" with the format's
/// suffix into `folder`, each atomically: PNG images of 900 x 800 pixels, or SVG and PDF
/// drawings of that layout; a map judged by its stress (MdsMap::stress1) adds "Shepard", its
/// Shepard plot. Needs a QApplication (offscreen will do). Throws KestrelError
/// naming the file.
void writeMatrixGraphs(const ProfileMatrix& matrix, const MdsMap& map, const std::string& folder,
                       GraphFormat format);

}  // namespace kestrel
