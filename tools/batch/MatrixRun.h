// One kestrel-batch --matrix run: many profile columns in, the pair matrix, the MDS map and
// the heat map out.
#pragma once

#include <functional>
#include <ostream>
#include <string>

#include "engine/ClassicalMds.h"
#include "engine/comparison/ProfileMatrix.h"
#include "tools/batch/MatrixSettings.h"

namespace kestrel::batch {

/// @brief Draws MDS and Matrix into `folder` in `format` (png, svg or pdf).
using MatrixGraphWriter = std::function<void(const ProfileMatrix& matrix, const MdsMap& map,
                                             const std::string& folder, const std::string& format)>;

/// @brief Reads the columns, compares every pair on every core, maps the samples, prints a
/// two-line account to `out` (profiles, rows and pairs; the axes' shares of the variance) and
/// writes the matrix file and the graphs when asked. Without grain counts a note on `err` says
/// why there are no p-values. Any failure throws KestrelError before a file is written.
void runMatrix(const MatrixSettings& settings, std::ostream& out, std::ostream& err,
               const MatrixGraphWriter& writeGraphs = {});

}  // namespace kestrel::batch
