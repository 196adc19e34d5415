// Reading the profile rows from a sheet and writing the summary sheet through the component's
// current-cell API.
#include "sheet/core/ProfileSheet.h"

#include <string>

#include "engine/KestrelError.h"
#include "engine/SummaryTable.h"

namespace kestrel {
namespace {

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

void readProfileRows(SpreadsheetCore& source, const ProfileRange& range, ProfileData& data) {
    checkRange(source, range);
    data.resize(range.ToRow - range.FromRow + 1);
    for (int32_t k = 1; k <= data.NumRows; ++k) {
        source.SetRow(range.FromRow + k - 1);
        source.SetCol(range.AgeCol);
        data.AgeData[k] = source.Number();
        source.SetCol(range.Y1Col);
        data.Y1Data[k] = source.Number();
        source.SetCol(range.Y2Col);
        data.Y2Data[k] = source.Number();
    }
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
    target.ClearBlock(1, 1, 100, 20, 1);
}

void writeSummaryTable(SpreadsheetCore& target, const ProfileData& data) {
    const auto& headers = summaryHeaders();
    target.SetRow(1);
    for (int col = 1; col <= 7; ++col) {
        target.SetCol(col);
        target.SetText(headers[static_cast<size_t>(col - 1)]);
    }
    for (int32_t k = 1; k <= data.NumRows; ++k) {
        target.SetRow(k + 1);
        const auto values = summaryRow(data, k);
        for (int col = 1; col <= 7; ++col) {
            target.SetCol(col);
            target.SetNumber(values[static_cast<size_t>(col - 1)]);
        }
    }
}

}  // namespace kestrel
