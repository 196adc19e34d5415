// kestrel-batch's checked settings: rows, columns and thresholds as numbers.
#pragma once

#include <optional>
#include <string>

#include "engine/ProfileComparison.h"
#include "engine/SampleSizes.h"
#include "engine/comparison/ProfileMatrix.h"
#include "tools/batch/BatchOptions.h"

namespace kestrel::batch {

struct BatchSettings {
    std::string workbook;
    std::optional<int32_t> sheet;  // absent: the sheet active in the file
    int32_t ageCol = 1, y1Col = 2, y2Col = 3;
    int32_t fromRow = 2;
    std::optional<int32_t> toRow;  // absent: found in the Age column
    SubdivisionParameters parameters;
    std::string table;
    std::optional<std::string> summary;
    bool excel5 = false;
    /// The summary's format, from its name: .xlsx and .csv as named, anything else Excel 97,
    /// or Excel 5 with --excel5.
    int16_t summaryFileType = 11;
    std::optional<std::string> graphs;    // folder for Chart1.png and Chart2.png
    std::string graphFormat = "png";      // png, svg or pdf
    std::optional<std::string> windows;   // the windows table's .csv file
    std::optional<GrainCounts> grains;    // absent: the number of rows (the classic rule)
    std::vector<Measure> windowMeasures;  // --measure: the windows table's other measures
};

/// @brief Checks the option texts in the import dialog's order (From row, To row, the rows
/// together, Age window width), then the thresholds and columns, and throws KestrelError with
/// the dialog's message ("Incorrect value entered for From row", ...) at the first failure.
/// `defaultTable` is used when --table is absent.
BatchSettings checkBatchOptions(const BatchOptions& options, const std::string& defaultTable);

/// @brief The --graph-format `name` checked: png, svg or pdf, and only with --graphs.
std::string graphFormatOf(const std::string& name, const BatchOptions& options);

/// @brief The rows together: "Incorrect values entered for rows to import" when to < from.
void checkRowRange(int32_t fromRow, int32_t toRow);

}  // namespace kestrel::batch
