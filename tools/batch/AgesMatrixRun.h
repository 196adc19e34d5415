// kestrel-batch --matrix --ages: every pair of many samples of grain ages tested, the matrix of
// grain D (with p and Kuiper's V and p) mapped by MDS.
#pragma once

#include <ostream>

#include "tools/batch/AgesSettings.h"
#include "tools/batch/MatrixRun.h"

namespace kestrel::batch {

/// @brief Reads the ages, tests every pair of samples on every core, maps the samples on grain
/// D, prints a two-line account to `out` (samples, grains and pairs; the axes' shares of the
/// variance) and writes the matrix file (the D, p, Kuiper V and Kuiper p blocks and the map),
/// the Profiles sheet and the graphs when asked. Warns on `err` of each sample left out and of
/// each last-resort bandwidth of the profiles it builds.
void runAgesMatrix(const AgesSettings& settings, std::ostream& out, std::ostream& err,
                   const MatrixGraphWriter& writeGraphs = {});

}  // namespace kestrel::batch
