// kestrel-batch's graph images come from a plugin holding Qt and the drawing code.
#pragma once

#include "tools/batch/BatchRun.h"

namespace kestrel::batch {

/// @brief Loads the graph plugin installed with kestrel-batch and returns the writer of its
/// images. Throws KestrelError naming the plugin when it cannot be loaded.
GraphWriter loadBatchGraphs();

/// @brief The plugin's entry point named `symbol`, the plugin loaded once and kept. Throws
/// KestrelError naming the plugin when it or the entry point cannot be found.
void* batchGraphsEntry(const char* symbol);

}  // namespace kestrel::batch
