// Writes .xls workbooks (Excel 97 BIFF8 or Excel 5 BIFF5) in an OLE2 compound file via libgsf.
#pragma once

#include <cstdint>
#include <string>

#include "sheet/core/Workbook.h"

namespace kestrel {

/// @brief Writes every sheet's text and number cells (booleans as booleans, errors as errors)
/// to `path` atomically: a temporary file in the same folder, then rename. `fileType` 11 writes
/// BIFF8, 4 writes BIFF5; anything else is an error. BIFF5 holds at most 16,384 rows and 256
/// columns, BIFF8 65,536 rows and 256 columns: a larger sheet is refused with a clear error and
/// no file is written. A failed write leaves any existing file unchanged.
void writeWorkbookFile(const Workbook& book, const std::string& path, int16_t fileType);

}  // namespace kestrel
