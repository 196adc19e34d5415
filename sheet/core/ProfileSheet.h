// Reading the chosen rows of a sheet into the profile arrays, and writing the summary sheet:
// the steps the main window and kestrel-batch share.
#pragma once

#include <cstdint>
#include <functional>

#include "engine/ProfileData.h"
#include "sheet/core/CellSink.h"
#include "sheet/core/EmptyCells.h"
#include "sheet/core/SpreadsheetCore.h"

namespace kestrel {

/// @brief Where the profiles are on the active sheet (rows and columns count from 1).
struct ProfileRange {
    int32_t FromRow = 2, ToRow = 3;
    int32_t AgeCol = 1, Y1Col = 2, Y2Col = 3;
};

/// @brief Sizes the arrays for ToRow - FromRow + 1 positions, then for every row in order sets
/// Row, and for the Age, Y data (1) and Y data (2) columns in that order Col and reads Number
/// into position k. Errors of the component (a cell that is no number, a row outside the sheet)
/// pass through, and `data` is then left exactly as it was: it changes only once every row
/// has been read.
/// The range is checked before anything is sized: To row below From row is "Incorrect values
/// entered for rows to import", rows and columns outside the sheet are the component's errors.
/// An empty Age cell refuses the range (it runs past the data, or the ages have a gap), and so
/// does a profile column without a single number in it; an empty profile cell among numbers
/// reads as 0 and is counted in the result.
/// `rowsRead`, when given, is told every 4,096 rows how many have been read (a long read shows
/// its progress and may be stopped by an exception from it; `data` then stays as it was).
EmptyProfileCells readProfileRows(SpreadsheetCore& source, const ProfileRange& range,
                                  ProfileData& data,
                                  const std::function<void(int32_t rowsRead)>& rowsRead = {});

/// @brief The import dialog's end-of-data scan on the active sheet: from row 2 down, the last
/// row of the run of filled cells in column `col` (any text, even blanks, fills a cell); 0 when
/// row 2 is empty. The scan stops at the sheet's last row at the latest. Reads the cells
/// without moving the current cell. Throws KestrelError for a column outside the sheet.
int32_t findLastFilledRow(const SpreadsheetCore& sheet, int32_t col);

/// @brief Renames sheet 1 to "Smry" (a failure is ignored), then empties the active sheet: the
/// block from A1 to its last used cell, at least rows 1-100 x columns 1-20.
void prepareSummarySheet(SpreadsheetCore& target);

/// @brief Row 1: the seven header texts; rows 2..n+1: the seven numbers of positions 1..n.
/// `rowsWritten`, when given, is told every 4,096 rows how many have been written.
void writeSummaryTable(SpreadsheetCore& target, const ProfileData& data,
                       const std::function<void(int32_t rowsWritten)>& rowsWritten = {});

/// @brief The summary workbook cell by cell, for a streamed format: sheet "Smry" holding the
/// same cells as a summary sheet prepared and written by the two steps above.
void sendSummaryTable(const ProfileData& data, CellSink& sink);

}  // namespace kestrel
