// Writing .xlsx workbooks (Office Open XML SpreadsheetML), streamed cell by cell.
#pragma once

#include <memory>
#include <string>

#include "sheet/core/CellSink.h"

namespace kestrel {

/// @brief Opens an .xlsx workbook at `path`, written as the cells come (a sheet's cells are
/// never held whole). Numbers are the shortest text that reads back as the same double; a
/// number that is infinite or not a number is the error #NUM!; text is stored in the cells
/// (inline strings); the first sheet is the active one. A sheet name
/// Excel does not take, a text over 32,767 characters or a cell past 1,048,576 rows x 16,384
/// columns is refused with a KestrelError that names the sheet and cell; `displayPath` names
/// the file in messages.
std::unique_ptr<CellSink> openXlsxSink(const std::string& path, const std::string& displayPath);

}  // namespace kestrel
