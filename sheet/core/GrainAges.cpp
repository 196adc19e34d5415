// The grain-ages reader's entry point: the request checked, then handed to its layout.
#include "sheet/core/GrainAges.h"

#include <algorithm>

#include "engine/KestrelError.h"
#include "sheet/core/GrainAgeColumns.h"
#include "sheet/core/GrainAgeRows.h"

namespace kestrel {
namespace {

void checkColumn(int32_t col, const char* what) {
    if (col >= 1 && col <= kMaxSheetCols) return;
    throw KestrelError(std::string("The ") + what + " " + std::to_string(col) +
                       " lies outside the sheet: columns count from 1 to " +
                       std::to_string(kMaxSheetCols));
}

void checkRequest(const Workbook& book, const GrainAgesRequest& request) {
    if (request.sheet < 1 || request.sheet > static_cast<int>(book.sheets.size())) {
        throw KestrelError("The workbook has no sheet " + std::to_string(request.sheet) +
                           ": it has " + std::to_string(book.sheets.size()));
    }
    if (request.headingRow < 1 || request.headingRow >= kMaxSheetRows) {
        throw KestrelError("The heading row " + std::to_string(request.headingRow) +
                           " leaves no row for ages: it must lie from 1 to " +
                           std::to_string(kMaxSheetRows - 1));
    }
    if (request.sigmaLevel != 1 && request.sigmaLevel != 2) {
        throw KestrelError("Uncertainties are 1σ or 2σ, not " + std::to_string(request.sigmaLevel) +
                           "σ");
    }
    for (size_t i = 0; i < request.columns.size(); ++i) {
        checkColumn(request.columns[i], "column");
        if (std::find(request.columns.begin(), request.columns.begin() + i, request.columns[i]) !=
            request.columns.begin() + i) {
            throw KestrelError("Column " + columnLetters(request.columns[i]) + " is chosen twice");
        }
    }
    for (const auto& [col, what] :
         {std::pair{request.sampleCol, "Sample column"}, std::pair{request.ageCol, "Age column"},
          std::pair{request.errorCol, "uncertainty column"}}) {
        if (col) checkColumn(*col, what);
    }
}

}  // namespace

GrainAges readGrainAges(const Workbook& book, const GrainAgesRequest& request) {
    checkRequest(book, request);
    const Worksheet& sheet = book.sheets[static_cast<size_t>(request.sheet - 1)];
    GrainAges ages = request.layout == AgesLayout::Columns
                         ? grainages::readAgeColumns(book, sheet, request)
                         : grainages::readAgeRows(sheet, request);
    if (ages.samples.empty()) {
        if (!ages.unusable.empty()) throw KestrelError(ages.unusable.front().reason);
        throw KestrelError("Sheet \"" + sheet.name() +
                           "\" holds no sample of grain ages below row " +
                           std::to_string(request.headingRow));
    }
    return ages;
}

}  // namespace kestrel
