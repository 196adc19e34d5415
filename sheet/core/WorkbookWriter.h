// The one entry point for writing a workbook file in any format the program writes, chosen by
// the file-type code: 11 Excel 97 and 4 Excel 5 (.xls), 51 .xlsx, 6 .csv.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "sheet/core/CellSink.h"
#include "sheet/core/Workbook.h"

namespace kestrel {

/// File-type codes of the formats written beside the two .xls ones.
inline constexpr int16_t kFileTypeXlsx = 51;  // Excel workbook (.xlsx)
inline constexpr int16_t kFileTypeCsv = 6;    // Text, comma separated (.csv)

/// @brief Writes every sheet of `book` to `path` atomically in the format of `fileType` (11,
/// 4, 51 or 6; anything else is refused). A failed write throws KestrelError and leaves any
/// existing file as it was.
void writeAnyWorkbookFile(const Workbook& book, const std::string& path, int16_t fileType);

/// @brief Writes a file of any of the four formats atomically: `feed` sends the sheets and
/// cells, in order, to the sink (the first sheet is the active one). A table need not be held
/// as cells to be written this way.
void writeStreamedWorkbookFile(const std::string& path, int16_t fileType,
                               const std::function<void(CellSink&)>& feed);

/// @brief Whether the file name `name` ends in `suffix` (given in lower case, such as ".xlsx"),
/// whatever the case of the name's letters: how a format is told from a name.
bool nameEndsWith(const std::string& name, std::string_view suffix);

/// @brief Sends every sheet and cell of `book` to `sink`, in order.
void sendWorkbookCells(const Workbook& book, CellSink& sink);

}  // namespace kestrel
