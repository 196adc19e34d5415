// Finding and loading the graph plugin: beside the program in a build tree, in the library
// folder of an installed one.
#include "tools/batch/BatchGraphs.h"

#include <dlfcn.h>

#include <filesystem>
#include <system_error>

#include "engine/KestrelError.h"
#include "tools/batch/plugin/GraphsPlugin.h"

namespace kestrel::batch {
namespace {

namespace fs = std::filesystem;

constexpr const char* kPluginName = "kestrel-batch-graphs.so";

fs::path pluginPath() {
    std::error_code error;
    const fs::path binFolder = fs::read_symlink("/proc/self/exe", error).parent_path();
    const fs::path installed =
        (binFolder / KESTREL_BATCH_PLUGIN_FROM_BIN / kPluginName).lexically_normal();
    const fs::path buildTree = binFolder / kPluginName;
    return fs::is_regular_file(installed, error) ? installed : buildTree;
}

}  // namespace

void* batchGraphsEntry(const char* symbol) {
    const fs::path path = pluginPath();
    // Never unloaded: Qt's own threads and handlers may outlive the call.
    void* plugin = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    const char* reason = plugin ? nullptr : ::dlerror();
    void* entry = plugin ? ::dlsym(plugin, symbol) : nullptr;
    if (!entry) {
        throw KestrelError("cannot load the graph images' plugin " + path.string() + ": " +
                           (reason ? reason : "it holds no graph writer"));
    }
    return entry;
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
