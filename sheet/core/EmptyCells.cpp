// Messages and counts for empty cells in a row range being read.
#include "sheet/core/EmptyCells.h"

#include <numeric>

#include "engine/KestrelError.h"
#include "sheet/core/Workbook.h"

namespace kestrel {
namespace {

const Worksheet& activeSheet(const SpreadsheetCore& source) {
    return source.workbook().sheets.at(static_cast<size_t>(source.Sheet() - 1));
}

bool holdsSomething(const Worksheet& sheet, int32_t row, int32_t col) {
    const Cell* cell = sheet.cell(row, col);
    return cell != nullptr && cell->kind != CellKind::Empty &&
           !(cell->kind == CellKind::Text && cell->text.empty());
}

std::string rowsText(int32_t fromRow, int32_t toRow) {
    return fromRow == toRow ? "row " + std::to_string(fromRow)
                            : "rows " + std::to_string(fromRow) + " to " + std::to_string(toRow);
}

}  // namespace

void EmptyProfileCells::add(int32_t col, int64_t count) {
    if (count > 0) columns.push_back({col, count});
}

int64_t EmptyProfileCells::total() const {
    return std::accumulate(columns.begin(), columns.end(), int64_t{0},
                           [](int64_t sum, const Column& c) { return sum + c.count; });
}

std::string EmptyProfileCells::note() const {
    const int64_t all = total();
    if (all == 0) return {};
    std::string text = std::to_string(all) +
                       (all == 1 ? " empty profile cell" : " empty profile cells") + " read as 0 (";
    for (size_t i = 0; i < columns.size(); ++i) {
        if (i > 0) text += ", ";
        text += "column " + columnLetters(columns[i].col) + ": " + std::to_string(columns[i].count);
    }
    return text + ")";
}

void refuseEmptyAge(const SpreadsheetCore& source, int32_t row, int32_t col, int32_t fromRow,
                    int32_t toRow) {
    const Worksheet& sheet = activeSheet(source);
    const std::string cell =
        "Cell " + cellAddress(row, col) + " of sheet \"" + sheet.name() + "\" is empty";
    for (int32_t later = row + 1; later <= toRow; ++later) {
        if (holdsSomething(sheet, later, col)) {
            throw KestrelError(cell + ", but later rows hold ages: every row from " +
                               std::to_string(fromRow) + " to " + std::to_string(toRow) +
                               " needs an age.");
        }
    }
    throw KestrelError(cell + ": the data end before row " + std::to_string(row) +
                       " (Find end of file sets To row to the last filled row).");
}

void refuseColumnWithoutNumbers(const SpreadsheetCore& source, int32_t col, const std::string& role,
                                int32_t fromRow, int32_t toRow) {
    const std::string what = role.empty() ? "the profile columns" : "the " + role + " column";
    throw KestrelError("Column " + columnLetters(col) + " of sheet \"" +
                       activeSheet(source).name() + "\"" + (role.empty() ? "" : " (" + role + ")") +
                       " holds no number in " + rowsText(fromRow, toRow) + ": check " + what +
                       " and the rows.");
}

}  // namespace kestrel
