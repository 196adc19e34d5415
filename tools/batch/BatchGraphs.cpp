// The graph plugin's writers.
#include "tools/batch/BatchGraphs.h"

#include "engine/KestrelError.h"
#include "tools/batch/BatchPlugins.h"
#include "tools/batch/plugin/GraphsPlugin.h"

namespace kestrel::batch {

void* batchGraphsEntry(const char* symbol) {
    return pluginEntry("kestrel-batch-graphs.so", symbol, "the graph images' plugin");
}

GraphWriter loadBatchGraphs() {
    auto* write = reinterpret_cast<BatchGraphsFunction*>(batchGraphsEntry(kBatchGraphsSymbol));
    return [write](const ProfileData& data, const std::string& folder, const std::string& format) {
        char message[512] = {};
        if (write(&data, folder.c_str(), format.c_str(), message, sizeof message) != 0) {
            throw KestrelError(message);
        }
    };
}

}  // namespace kestrel::batch
