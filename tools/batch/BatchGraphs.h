// kestrel-batch's graph images come from a plugin holding Qt and the drawing code.
#pragma once

#include "tools/batch/BatchRun.h"

namespace kestrel::batch {

/// @brief Loads the graph plugin installed with kestrel-batch and returns the writer of its
/// images. Throws KestrelError naming the plugin when it cannot be loaded.
GraphWriter loadBatchGraphs();

}  // namespace kestrel::batch
