// Many profile columns read through the component's current-cell API.
#include "sheet/core/ProfileColumns.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "engine/KestrelError.h"
#include "engine/NumberText.h"
#include "engine/SampleSizes.h"
#include "sheet/core/EmptyCells.h"
#include "sheet/core/Workbook.h"

namespace kestrel {
namespace {

constexpr int32_t kProgressRows = 4096;

// Everything is checked before a single value is stored, as for two profiles.
void checkRange(SpreadsheetCore& source, const ProfileColumnsRange& range) {
    if (range.ToRow < range.FromRow) {
        throw KestrelError("Incorrect values entered for rows to import");
    }
    if (range.columns.size() < 2)
        throw KestrelError("Give at least two profile columns to compare");
    if (range.columns.size() > static_cast<size_t>(kMaxMatrixProfiles)) {
        throw KestrelError("Too many profile columns: " + std::to_string(range.columns.size()) +
                           " (at most " + std::to_string(kMaxMatrixProfiles) +
                           " are compared at once)");
    }
    source.SetRow(range.FromRow);
    source.SetRow(range.ToRow);
    if (range.grainsRow) source.SetRow(*range.grainsRow);
    for (const int32_t col : range.columns) source.SetCol(col);
    if (range.ageCol) source.SetCol(*range.ageCol);
}

const Worksheet& activeSheet(const SpreadsheetCore& source) {
    return source.workbook().sheets.at(static_cast<size_t>(source.Sheet() - 1));
}

// The nearest cell above the first data row that holds text names the sample: a Grains row
// between the names and the data is skipped (so is any row of numbers). Headings lie close
// above the data: the search stops after kHeadingRows rows.
constexpr int32_t kHeadingRows = 1000;

std::string sampleName(const SpreadsheetCore& source, int32_t firstDataRow, int32_t col,
                       std::optional<int32_t> grainsRow) {
    const Worksheet& sheet = activeSheet(source);
    const int32_t top = std::max(1, firstDataRow - kHeadingRows);
    for (int32_t row = firstDataRow - 1; row >= top; --row) {
        if (grainsRow && row == *grainsRow) continue;
        const Cell* cell = sheet.cell(row, col);
        if (cell == nullptr || cell->kind != CellKind::Text) continue;
        if (cell->text.find_first_not_of(" \t") != std::string::npos) return cell->text;
    }
    return columnLetters(col);
}

int32_t grainCount(SpreadsheetCore& source, int32_t row, int32_t col) {
    source.SetRow(row);
    source.SetCol(col);
    const double value = source.Number();
    if (!(value >= 1 && value <= kMaxGrains && std::floor(value) == value)) {
        throw KestrelError("Incorrect grain count in cell " + cellAddress(row, col) +
                           " of sheet \"" + activeSheet(source).name() +
                           "\": " + formatFixed(value, 3) + " (a whole number from 1 to " +
                           std::to_string(kMaxGrains) + " is wanted)");
    }
    return static_cast<int32_t>(value);
}

double checkedAge(SpreadsheetCore& source, const ProfileColumnsRange& range, int32_t row) {
    source.SetCol(*range.ageCol);
    const std::optional<double> age = source.NumberUnlessEmpty();
    if (!age) refuseEmptyAge(source, row, *range.ageCol, range.FromRow, range.ToRow);
    return *age;
}

}  // namespace

ProfileSamples readProfileColumns(SpreadsheetCore& source, const ProfileColumnsRange& range,
                                  const std::function<void(int32_t rowsRead)>& rowsRead,
                                  EmptyProfileCells* emptyCells) {
    checkRange(source, range);
    ProfileSamples samples;
    samples.NumRows = range.ToRow - range.FromRow + 1;
    const size_t k = range.columns.size();
    samples.values.assign(k, std::vector<double>(static_cast<size_t>(samples.NumRows) + 1, 0.0));
    if (range.ageCol) samples.ages.assign(static_cast<size_t>(samples.NumRows) + 1, 0.0);
    for (const int32_t col : range.columns) {
        samples.names.push_back(sampleName(source, range.FromRow, col, range.grainsRow));
    }
    // An empty cell reads as 0, as for two profiles, and is counted.
    std::vector<int64_t> empty(k, 0);
    for (int32_t row = 1; row <= samples.NumRows; ++row) {
        source.SetRow(range.FromRow + row - 1);
        if (range.ageCol) {
            samples.ages[static_cast<size_t>(row)] =
                checkedAge(source, range, range.FromRow + row - 1);
        }
        for (size_t i = 0; i < k; ++i) {
            source.SetCol(range.columns[i]);
            if (const auto number = source.NumberUnlessEmpty()) {
                samples.values[i][static_cast<size_t>(row)] = *number;
            } else {
                ++empty[i];
            }
        }
        if (rowsRead && row % kProgressRows == 0) rowsRead(row);
    }
    for (size_t i = 0; i < k; ++i) {
        if (empty[i] == samples.NumRows) {
            refuseColumnWithoutNumbers(source, range.columns[i], "", range.FromRow, range.ToRow);
        }
    }
    if (emptyCells != nullptr) {
        *emptyCells = {};
        for (size_t i = 0; i < k; ++i) emptyCells->add(range.columns[i], empty[i]);
    }
    if (range.grainsRow) {
        std::vector<int32_t> grains;
        for (const int32_t col : range.columns)
            grains.push_back(grainCount(source, *range.grainsRow, col));
        samples.grains = std::move(grains);
    }
    return samples;
}

std::vector<int32_t> numericColumnsRightOf(const SpreadsheetCore& source, int32_t ageCol,
                                           int32_t fromRow) {
    std::vector<int32_t> columns;
    if (fromRow < 1 || fromRow > kMaxSheetRows) return columns;
    const Worksheet& sheet = activeSheet(source);
    for (int32_t col = std::max(ageCol, 0) + 1; col <= sheet.lastCol(); ++col) {
        const Cell* cell = sheet.cell(fromRow, col);
        if (cell == nullptr) continue;
        if (cell->kind == CellKind::Number ||
            (cell->kind == CellKind::Text && parseRealNumber(cell->text))) {
            columns.push_back(col);
        }
    }
    return columns;
}

}  // namespace kestrel
