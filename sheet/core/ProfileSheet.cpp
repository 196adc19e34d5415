// Reading the profile rows from a sheet and writing the summary sheet through the component's
// current-cell API.
#include "sheet/core/ProfileSheet.h"

#include <algorithm>
#include <string>
#include <utility>

#include "engine/KestrelError.h"
#include "engine/SummaryTable.h"

namespace kestrel {
namespace {

// How often a long read or write says how far it has come.
constexpr int32_t kProgressRows = 4096;

// Rows and columns are checked before anything is sized, so that no range entered can make the
// arrays larger than a sheet can be.
void checkRange(SpreadsheetCore& source, const ProfileRange& range) {
    if (range.ToRow < range.FromRow) {
        throw KestrelError("Incorrect values entered for rows to import");
    }
    // The component refuses rows and columns outside the sheet with its own message.
    source.SetRow(range.FromRow);
    source.SetRow(range.ToRow);
    source.SetCol(range.AgeCol);
    source.SetCol(range.Y1Col);
    source.SetCol(range.Y2Col);
}

}  // namespace

EmptyProfileCells readProfileRows(SpreadsheetCore& source, const ProfileRange& range,
                                  ProfileData& data,
                                  const std::function<void(int32_t rowsRead)>& rowsRead) {
    checkRange(source, range);
    // Every row is read and checked before the caller's arrays change: a cell that is no number
    // leaves the previous results whole.
    ProfileData rows;
    rows.resizeInputs(range.ToRow - range.FromRow + 1);
    int64_t empty1 = 0, empty2 = 0;
    // An empty profile cell reads as 0 (a blank meaning zero is common), but is counted.
    const auto readProfile = [&source](int32_t col, double& value, int64_t& empty) {
        source.SetCol(col);
        if (const auto number = source.NumberUnlessEmpty()) {
            value = *number;
        } else {
            ++empty;
        }
    };
    for (int32_t k = 1; k <= rows.NumRows; ++k) {
        const int32_t row = range.FromRow + k - 1;
        source.SetRow(row);
        source.SetCol(range.AgeCol);
        // An empty age would put the row at age 0: the range runs past the data.
        const auto age = source.NumberUnlessEmpty();
        if (!age) refuseEmptyAge(source, row, range.AgeCol, range.FromRow, range.ToRow);
        rows.AgeData[k] = *age;
        readProfile(range.Y1Col, rows.Y1Data[k], empty1);
        readProfile(range.Y2Col, rows.Y2Data[k], empty2);
        if (rowsRead && k % kProgressRows == 0) rowsRead(k);
    }
    // A column without a single number is a wrong letter, not a profile of zeros.
    if (empty1 == rows.NumRows) {
        refuseColumnWithoutNumbers(source, range.Y1Col, "Y data (1)", range.FromRow, range.ToRow);
    }
    if (empty2 == rows.NumRows) {
        refuseColumnWithoutNumbers(source, range.Y2Col, "Y data (2)", range.FromRow, range.ToRow);
    }
    EmptyProfileCells empty;
    empty.add(range.Y1Col, empty1);
    empty.add(range.Y2Col, empty2);
    data = std::move(rows);
    return empty;
}

int32_t findLastFilledRow(const SpreadsheetCore& sheet, int32_t col) {
    if (col < 1 || col > kMaxSheetCols) {
        throw KestrelError("Column " + std::to_string(col) +
                           " is outside the sheet: columns run from 1 to " +
                           std::to_string(kMaxSheetCols));
    }
    const Worksheet& cells = sheet.workbook().sheets.at(static_cast<size_t>(sheet.Sheet() - 1));
    // Filled exactly when the cell's Text is not empty (a number always shows some text).
    const auto filled = [&](int32_t row) {
        const Cell* cell = cells.cell(row, col);
        return cell != nullptr && (cell->kind == CellKind::Number || !cell->text.empty());
    };
    int32_t last = 0;
    for (int32_t row = 2; row <= kMaxSheetRows && filled(row); ++row) last = row;
    return last;
}

void prepareSummarySheet(SpreadsheetCore& target) {
    try {
        target.SetSheetName(1, "Smry");
    } catch (const KestrelError&) {
        // The sheet keeps its former name; the summary is written all the same.
    }
    // The whole used part of the sheet, and never less than the first 100 rows x 20 columns:
    // a table shorter than the last one must leave none of the last one's rows behind.
    const Worksheet& sheet = target.workbook().sheets.at(static_cast<size_t>(target.Sheet() - 1));
    target.ClearBlock(1, 1, std::max(100, sheet.lastRow()), std::max(20, sheet.lastCol()), 1);
}

void writeSummaryTable(SpreadsheetCore& target, const ProfileData& data,
                       const std::function<void(int32_t rowsWritten)>& rowsWritten) {
    const auto& headers = summaryHeaders();
    target.SetRow(1);
    for (int col = 1; col <= 7; ++col) {
        target.SetCol(col);
        target.SetText(headers[static_cast<size_t>(col - 1)]);
    }
    for (int32_t k = 1; k <= data.NumRows; ++k) {
        target.SetRowNumbers(k + 1, 1, summaryRow(data, k));
        if (rowsWritten && k % kProgressRows == 0) rowsWritten(k);
    }
    // Where writing each number in turn would have left the current cell.
    if (data.NumRows >= 1) {
        target.SetRow(data.NumRows + 1);
        target.SetCol(7);
    }
}

void sendSummaryTable(const ProfileData& data, CellSink& sink) {
    sink.beginSheet("Smry");
    sink.expectCells(static_cast<size_t>(data.NumRows) * 7);
    const auto& headers = summaryHeaders();
    for (int col = 1; col <= 7; ++col) sink.text(1, col, headers[static_cast<size_t>(col - 1)]);
    for (int32_t k = 1; k <= data.NumRows; ++k) {
        const auto values = summaryRow(data, k);
        for (int col = 1; col <= 7; ++col) {
            sink.number(k + 1, col, values[static_cast<size_t>(col - 1)]);
        }
    }
}

}  // namespace kestrel
