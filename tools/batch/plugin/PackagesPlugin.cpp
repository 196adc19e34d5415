// kestrel-batch's package plugin: the package readers behind a C entry point; no exception
// crosses into the program.
#include "tools/batch/plugin/PackagesPlugin.h"

#include <exception>
#include <new>

#include "sheet/core/PackageReader.h"

extern "C" __attribute__((visibility("default"))) int kestrel_batch_read_package(
    const std::string* path, const char* bytes, size_t size, const std::string* displayName,
    kestrel::WorkbookFormat* format, kestrel::Workbook* book, std::string* error) {
    try {
        *book = kestrel::readPackageWorkbook(path, std::string_view(bytes, size), *displayName,
                                             *format);
        return 0;
    } catch (const std::bad_alloc&) {
        return 2;
    } catch (const std::exception& e) {
        *error = e.what();
        return 1;
    }
}

static_assert(std::is_same_v<decltype(kestrel_batch_read_package), ReadPackageFunction>);
