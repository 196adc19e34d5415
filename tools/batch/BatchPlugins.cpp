// Finding and loading kestrel-batch's plugins.
#include "tools/batch/BatchPlugins.h"

#include <dlfcn.h>

#include <filesystem>
#include <string>
#include <system_error>

#include "engine/KestrelError.h"

namespace kestrel::batch {
namespace {

namespace fs = std::filesystem;

fs::path pluginPath(const char* name) {
    std::error_code error;
    const fs::path binFolder = fs::read_symlink("/proc/self/exe", error).parent_path();
    const fs::path installed =
        (binFolder / KESTREL_BATCH_PLUGIN_FROM_BIN / name).lexically_normal();
    const fs::path buildTree = binFolder / name;
    return fs::is_regular_file(installed, error) ? installed : buildTree;
}

}  // namespace

void* pluginEntry(const char* pluginName, const char* symbol, const char* what) {
    const fs::path path = pluginPath(pluginName);
    // Never unloaded: Qt's own threads and handlers may outlive the call, and GLib's types stay
    // registered.
    void* plugin = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    const char* reason = plugin ? nullptr : ::dlerror();
    void* entry = plugin ? ::dlsym(plugin, symbol) : nullptr;
    if (!entry) {
        throw KestrelError(std::string("cannot load ") + what + " " + path.string() + ": " +
                           (reason ? reason : "its entry point is missing"));
    }
    return entry;
}

}  // namespace kestrel::batch
