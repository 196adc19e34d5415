// Locating the data folder from /proc/self/exe.
#include "tools/batch/DataFolder.h"

#include <filesystem>
#include <system_error>

#include "engine/CriticalValueTable.h"

namespace kestrel::batch {

std::string programDataFolder() {
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path executable = fs::read_symlink("/proc/self/exe", error);
    const fs::path binFolder = error ? fs::current_path(error) : executable.parent_path();
    const fs::path installed = (binFolder / ".." / "share" / "kestrel").lexically_normal();
    const fs::path buildTree = (binFolder / ".." / "data").lexically_normal();
    for (const fs::path& folder : {installed, buildTree}) {
        if (fs::is_regular_file(folder / kCriticalValueFileName, error)) return folder.string();
    }
    return installed.string();
}

}  // namespace kestrel::batch
