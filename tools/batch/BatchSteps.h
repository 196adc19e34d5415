// Steps both kinds of kestrel-batch run share: numbers from the command line, the sheet and
// the last row to read, and the graphs folder.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "sheet/core/SpreadsheetCore.h"

namespace kestrel::batch {

/// @brief The whole number `text` holds; KestrelError "<message>: "<text>"" when none.
int32_t wholeNumber(const std::string& text, const std::string& message);

/// @brief Makes sheet `sheet` (1-based) of `source` active, when one is given; a sheet the
/// workbook does not hold is refused naming the workbook.
void selectSheet(SpreadsheetCore& source, std::optional<int32_t> sheet,
                 const std::string& workbook);

/// @brief `toRow` when given, else the last filled row of the Age column from row 2 on; an
/// Age column empty at row 2 is refused.
int32_t lastDataRow(const SpreadsheetCore& source, std::optional<int32_t> toRow, int32_t ageCol);

/// @brief Checked before any work: graphs asked for need a graph writer and a folder, which is
/// made with its parents when missing (a file of that name is refused).
void checkGraphsFolder(const std::optional<std::string>& graphs, bool canWriteGraphs);

}  // namespace kestrel::batch
