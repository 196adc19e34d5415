// kestrel-batch's own readPackageWorkbook: the package readers are loaded from their plugin the
// first time a run reads an .xlsx or .ods workbook, so a run on .xls or .csv never maps libgsf,
// GLib or libxml2.
#include <new>
#include <string>

#include "engine/KestrelError.h"
#include "sheet/core/PackageReader.h"
#include "sheet/core/ReadError.h"
#include "tools/batch/BatchPlugins.h"
#include "tools/batch/plugin/PackagesPlugin.h"

namespace kestrel {

Workbook readPackageWorkbook(const std::string* path, std::string_view bytes,
                             const std::string& displayName, WorkbookFormat& format) {
    ReadPackageFunction* read = nullptr;
    try {
        read = reinterpret_cast<ReadPackageFunction*>(batch::pluginEntry(
            "kestrel-batch-packages.so", kReadPackageSymbol, "the .xlsx and .ods readers"));
    } catch (const KestrelError& error) {
        throw readError(displayName, error.what());
    }
    Workbook book;
    std::string error;
    switch (read(path, bytes.data(), bytes.size(), &displayName, &format, &book, &error)) {
        case 0:
            return book;
        case 2:
            throw std::bad_alloc();
        default:
            throw KestrelError(error);
    }
}

}  // namespace kestrel
