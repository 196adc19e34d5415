// Reads .xls workbooks: Excel 97 (BIFF8, stream "Workbook") and Excel 5/95 (BIFF5/7, stream
// "Book") from their OLE2 compound file.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "sheet/core/Workbook.h"

namespace kestrel {

/// @brief Reads the workbook file at `path`. Sets `fileType` to the format found (11 for BIFF8,
/// 4 for BIFF5/7). Throws KestrelError naming the file for a missing, unreadable, corrupt,
/// truncated, empty or non-workbook file. Declared sizes in the file are never trusted.
Workbook readWorkbookFile(const std::string& path, int16_t& fileType);

/// @brief The same reader on the bytes of a file held in memory; errors name `displayName`.
/// Only worksheets become sheets (chart sheets, macro sheets and modules are skipped); the
/// active sheet is the one active in the file, or the first. Memory stays within a small
/// multiple of the input's size, whatever the records claim.
Workbook readWorkbookBytes(std::string_view bytes, const std::string& displayName,
                           int16_t& fileType);

}  // namespace kestrel
