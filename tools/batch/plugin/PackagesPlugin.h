// The entry point of kestrel-batch's package plugin: the .xlsx/.xlsm and .ods readers with
// libgsf and libxml2, loaded only when a run reads such a workbook.
#pragma once

#include <cstddef>
#include <string>

#include "sheet/core/Workbook.h"
#include "sheet/core/WorkbookReader.h"

/// @brief The symbol kestrel-batch looks up in the plugin.
inline constexpr const char* kReadPackageSymbol = "kestrel_batch_read_package";

/// @brief Reads the package at `path` (or, when it is null, the `size` bytes at `bytes`) into
/// `book` and `format`, as readPackageWorkbook does. Returns 0 on success; otherwise puts the
/// error's text in `error` and returns 1, or 2 when memory ran out.
extern "C" using ReadPackageFunction =
    int(const std::string* path, const char* bytes, size_t size, const std::string* displayName,
        kestrel::WorkbookFormat* format, kestrel::Workbook* book, std::string* error);
