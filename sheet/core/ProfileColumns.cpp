// Many profile columns read through the component's current-cell API.
#include "sheet/core/ProfileColumns.h"

#include <cmath>
#include <string>

#include "engine/KestrelError.h"
#include "engine/NumberText.h"
#include "engine/SampleSizes.h"
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
}

const Worksheet& activeSheet(const SpreadsheetCore& source) {
    return source.workbook().sheets.at(static_cast<size_t>(source.Sheet() - 1));
}

std::string sampleName(const SpreadsheetCore& source, int32_t headerRow, int32_t col) {
    const Cell* header = headerRow >= 1 ? activeSheet(source).cell(headerRow, col) : nullptr;
    if (header != nullptr && header->kind == CellKind::Text &&
        header->text.find_first_not_of(" \t") != std::string::npos) {
        return header->text;
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

}  // namespace

ProfileSamples readProfileColumns(SpreadsheetCore& source, const ProfileColumnsRange& range,
                                  const std::function<void(int32_t rowsRead)>& rowsRead) {
    checkRange(source, range);
    ProfileSamples samples;
    samples.NumRows = range.ToRow - range.FromRow + 1;
    const size_t k = range.columns.size();
    samples.values.assign(k, std::vector<double>(static_cast<size_t>(samples.NumRows) + 1, 0.0));
    for (const int32_t col : range.columns) {
        samples.names.push_back(sampleName(source, range.FromRow - 1, col));
    }
    for (int32_t row = 1; row <= samples.NumRows; ++row) {
        source.SetRow(range.FromRow + row - 1);
        for (size_t i = 0; i < k; ++i) {
            source.SetCol(range.columns[i]);
            samples.values[i][static_cast<size_t>(row)] = source.Number();
        }
        if (rowsRead && row % kProgressRows == 0) rowsRead(row);
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
