// One column per sample: the columns chosen, their cells gathered in one pass over the sheet,
// and each age paired with its uncertainty in the same row.
#include "sheet/core/GrainAgeColumns.h"

#include <utility>

#include "engine/KestrelError.h"
#include "engine/MessageText.h"
#include "engine/NumberText.h"
#include "sheet/core/AgesLayoutGuess.h"
#include "sheet/core/GrainAgeCells.h"

namespace kestrel::grainages {
namespace {

/// Where the uncertainties of one age column are.
struct ErrorsColumn {
    const Worksheet* sheet = nullptr;  // none when no uncertainties are read
    int32_t col = 0;
};

struct AgeColumn {
    int32_t col = 0;
    std::string name;
    std::vector<std::pair<int32_t, const Cell*>> cells;  // non-blank cells below the heading
    ErrorsColumn errors;
    std::string setAside;  // why the column is not read (its name used twice), when it is not
};

// Every column with a heading; beside their uncertainties, the column right of each is theirs.
std::vector<int32_t> headedColumns(const Worksheet& sheet, int32_t headingRow, bool beside) {
    std::vector<int32_t> cols;
    int32_t takenUpTo = 0;
    for (int32_t col = 1; col <= sheet.lastCol(); ++col) {
        if (col <= takenUpTo || isBlank(sheet.cell(headingRow, col))) continue;
        cols.push_back(col);
        takenUpTo = beside ? col + 1 : col;
    }
    return cols;
}

std::vector<AgeColumn> chosenColumns(const Worksheet& sheet, const GrainAgesRequest& request) {
    const std::vector<int32_t> cols =
        request.columns.empty()
            ? headedColumns(sheet, request.headingRow, request.errors == ErrorsPlace::Beside)
            : request.columns;
    std::vector<AgeColumn> columns;
    std::vector<LabelCell> headings;
    for (const int32_t col : cols) {
        std::string heading = cellLabel(sheet.cell(request.headingRow, col));
        headings.push_back({heading, request.headingRow, col});
        columns.push_back(
            {col, heading.empty() ? columnLetters(col) : std::move(heading), {}, {}, {}});
    }
    if (!request.setAsideUnusable) {
        refuseRepeatedLabels(headings, sheet, "The sample name");
        return columns;
    }
    // A name used twice names neither column: both are set aside.
    for (const UnusableSample& repeated : repeatedLabels(headings, sheet, "The sample name")) {
        for (AgeColumn& column : columns) {
            if (column.name == repeated.name) column.setAside = repeated.reason;
        }
    }
    return columns;
}

// One pass over the sheet, whatever its size, rather than one look-up per row and column.
void gatherCells(const Worksheet& sheet, int32_t headingRow, std::vector<AgeColumn>& columns) {
    std::vector<int32_t> slotOfCol(static_cast<size_t>(sheet.lastCol()) + 1, -1);
    for (size_t i = 0; i < columns.size(); ++i) {
        if (columns[i].col <= sheet.lastCol()) slotOfCol[columns[i].col] = static_cast<int32_t>(i);
    }
    sheet.forEachCell([&](int row, int col, const Cell& cell) {
        const int32_t slot = slotOfCol[static_cast<size_t>(col)];
        if (row <= headingRow || slot < 0 || isBlank(&cell)) return;
        columns[static_cast<size_t>(slot)].cells.emplace_back(row, &cell);
    });
}

const Worksheet& errorsSheet(const Workbook& book, const std::string& name) {
    if (name.empty()) throw KestrelError("No sheet was named for the uncertainties");
    for (const Worksheet& sheet : book.sheets) {
        // Spreadsheet programs tell sheet names apart without case.
        if (upperAscii(sheet.name()) == upperAscii(name)) return sheet;
    }
    throw KestrelError("The workbook has no sheet named \"" + messageExcerpt(name) +
                       "\" for the uncertainties");
}

// The uncertainties' column of each sample on the errors sheet: the one with the same heading,
// wherever it stands.
void matchErrorsSheet(const Worksheet& ages, const Worksheet& errors, int32_t headingRow,
                      std::vector<AgeColumn>& columns) {
    std::vector<LabelCell> headings;
    for (int32_t col = 1; col <= errors.lastCol(); ++col) {
        headings.push_back({cellLabel(errors.cell(headingRow, col)), headingRow, col});
    }
    refuseRepeatedLabels(headings, errors, "The heading");
    for (AgeColumn& column : columns) {
        if (!column.setAside.empty()) continue;
        for (const LabelCell& heading : headings) {
            if (heading.label != column.name) continue;
            column.errors = {&errors, heading.col};
            break;
        }
        if (column.errors.sheet) continue;
        throw KestrelError("Sheet \"" + errors.name() + "\" has no column headed \"" +
                           messageExcerpt(column.name) + "\" in row " + std::to_string(headingRow) +
                           " for the uncertainties of " + columnName(ages, column.col));
    }
}

void placeErrors(const Workbook& book, const Worksheet& sheet, const GrainAgesRequest& request,
                 std::vector<AgeColumn>& columns) {
    if (request.errors == ErrorsPlace::Sheet) {
        const Worksheet& errors = errorsSheet(book, request.errorsSheet);
        if (&errors == &sheet) {
            // Each age would be its own uncertainty.
            throw KestrelError("The uncertainties cannot come from the ages sheet \"" +
                               sheet.name() + "\": name the sheet that holds them");
        }
        matchErrorsSheet(sheet, errors, request.headingRow, columns);
    } else if (request.errors == ErrorsPlace::Beside) {
        for (AgeColumn& column : columns) {
            if (!column.setAside.empty()) continue;
            if (column.col == kMaxSheetCols) {
                throw KestrelError("No column lies right of " + columnName(sheet, column.col) +
                                   " to hold its uncertainties");
            }
            column.errors = {&sheet, column.col + 1};
        }
    } else if (request.uncertaintiesRequired) {
        throw KestrelError(
            "The profile needs an uncertainty for every grain: say where they "
            "are (a sheet of their own, or the column right of each age column)");
    }
}

double readSigma(const UncertaintyRule& rule, const ErrorsColumn& errors, const Worksheet& ages,
                 int32_t row, int32_t ageCol, double age) {
    const Cell* cell = errors.sheet->cell(row, errors.col);
    if (isBlank(cell)) {
        throw KestrelError(cellName(*errors.sheet, row, errors.col) +
                           " holds no uncertainty for the age in " + cellAddress(row, ageCol) +
                           " of sheet \"" + ages.name() + "\"");
    }
    const double value = readNumber(*errors.sheet, row, errors.col, *cell);
    return oneSigma(rule, age, value, *errors.sheet, row, errors.col);
}

// The column's ages end at its last number; blank cells above it are skipped and counted.
GrainSample readColumn(const Worksheet& sheet, const AgeColumn& column, int32_t headingRow,
                       const UncertaintyRule& rule, int64_t& emptyCells) {
    size_t end = column.cells.size();
    while (end > 0 && !isNumber(*column.cells[end - 1].second)) --end;
    GrainSample sample{column.name, {}, {}};
    for (size_t i = 0; i < end; ++i) {
        const auto [row, cell] = column.cells[i];
        const double age = readAge(sheet, row, column.col, *cell);
        sample.ages.push_back(age);
        if (column.errors.sheet) {
            sample.sigmas.push_back(readSigma(rule, column.errors, sheet, row, column.col, age));
        }
    }
    requireTwoAges(sample, sheet, column.col);
    if (end > 0) emptyCells += column.cells[end - 1].first - headingRow - static_cast<int64_t>(end);
    return sample;
}

// A name used twice is said once, at its first column.
void setAside(GrainAges& result, const std::string& name, const std::string& reason) {
    for (const UnusableSample& unusable : result.unusable) {
        if (unusable.name == name && unusable.reason == reason) return;
    }
    result.unusable.push_back({name, reason});
}

}  // namespace

GrainAges readAgeColumns(const Workbook& book, const Worksheet& sheet,
                         const GrainAgesRequest& request) {
    // Read as columns, one grain a row would compare the Age column with the uncertainties'.
    if (request.columns.empty() && guessAgesLayout(sheet, request.headingRow) == AgesLayout::Rows) {
        throw KestrelError("Row " + std::to_string(request.headingRow) + " of sheet \"" +
                           sheet.name() +
                           "\" heads Sample (or Name) and Age columns, one row per grain: read "
                           "it as one row per grain");
    }
    std::vector<AgeColumn> columns = chosenColumns(sheet, request);
    placeErrors(book, sheet, request, columns);
    gatherCells(sheet, request.headingRow, columns);
    const UncertaintyRule rule{request.sigmaLevel, request.relative, request.uncertaintiesRequired};
    GrainAges result;
    for (const AgeColumn& column : columns) {
        if (!column.setAside.empty()) {
            setAside(result, column.name, column.setAside);
            continue;
        }
        try {
            result.samples.push_back(
                readColumn(sheet, column, request.headingRow, rule, result.emptyCellsSkipped));
        } catch (const SampleError& error) {
            if (!request.setAsideUnusable) throw;
            setAside(result, column.name, error.what());
        }
    }
    return result;
}

}  // namespace kestrel::grainages
