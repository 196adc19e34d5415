// Writes .xls workbooks (Excel 97 BIFF8 or Excel 5 BIFF5) in an OLE2 compound file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "sheet/core/CellSink.h"
#include "sheet/core/Workbook.h"

namespace kestrel {

/// @brief What a successful write had to change to fit the format.
struct WorkbookWriteNotes {
    /// Characters that Windows-1252 cannot hold, written as "?" (Excel 5 only).
    size_t replacedCharacters = 0;
};

/// @brief Writes every sheet's text and number cells (booleans as booleans, errors as errors)
/// to `path` atomically: a temporary file in the same folder, then rename. `fileType` 11 writes
/// BIFF8, 4 writes BIFF5; anything else is an error. BIFF5 holds at most 16,384 rows and 256
/// columns, BIFF8 65,536 rows and 256 columns: a larger sheet is refused with a clear error and
/// no file is written. So is a cell text longer than the format holds (255 characters in
/// Excel 5, 32,767 in Excel 97) and a sheet name Excel does not accept. A failed write leaves
/// any existing file unchanged. Numbers that are infinite or NaN are written as #NUM!.
void writeWorkbookFile(const Workbook& book, const std::string& path, int16_t fileType);
/// @brief As above, and reports in `notes` what had to change to fit the format.
void writeWorkbookFile(const Workbook& book, const std::string& path, int16_t fileType,
                       WorkbookWriteNotes& notes);

/// @brief Writes an .xls file of the sheets and cells `feed` sends, in order, with the first
/// sheet active: the same bytes as writeWorkbookFile of a workbook holding those cells, without
/// the cells ever being held as a workbook.
void writeStreamedBiffFile(const std::string& path, int16_t fileType,
                           const std::function<void(CellSink&)>& feed);

}  // namespace kestrel
