// kestrel-batch --matrix's graph images, drawn by the graph plugin.
#pragma once

#include "tools/batch/MatrixRun.h"
#include "tools/batch/MatrixSettings.h"

namespace kestrel::batch {

/// @brief The writer of the MDS map and the heat map when settings.graphs asks for them (the
/// plugin is loaded then only), else an empty writer. A build without graph images gives an
/// empty writer too, which runMatrix() refuses when the images are asked for.
MatrixGraphWriter loadMatrixGraphsIfAsked(const MatrixSettings& settings);

}  // namespace kestrel::batch
