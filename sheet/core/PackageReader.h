// Reading a ZIP package workbook (.xlsx, .xlsm, .ods). The readers live in their own library
// (sheet/packages, on libgsf and libxml2); a program that links them gets this function from
// there, and kestrel-batch, which should not load those libraries for an .xls or .csv, from a
// stand-in that loads them only when a package is read.
#pragma once

#include <string>
#include <string_view>

#include "sheet/core/Workbook.h"
#include "sheet/core/WorkbookReader.h"

namespace kestrel {

/// @brief Reads the package at `path`, or, when `path` is null, held in memory as `bytes`;
/// sets `format` (Xlsx or Ods). Throws KestrelError "Cannot read <displayName>: ..." for a
/// package that holds no workbook this program reads, or a damaged one.
Workbook readPackageWorkbook(const std::string* path, std::string_view bytes,
                             const std::string& displayName, WorkbookFormat& format);

}  // namespace kestrel
