// kestrel-batch --matrix: the checked settings of a many-profile comparison.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/comparison/ProfileMatrix.h"
#include "engine/comparison/SampleComparison.h"
#include "tools/batch/BatchOptions.h"

namespace kestrel::batch {

using MdsKind = MapKind;

/// @brief The kind --mds names; UsageError for any other text.
MdsKind mdsKindOf(const std::string& text);

struct MatrixSettings {
    std::string workbook;
    std::optional<int32_t> sheet;  // absent: the sheet active in the file
    int32_t ageCol = 1;
    int32_t fromRow = 2;
    std::optional<int32_t> toRow;  // absent: found in the Age column
    std::vector<int32_t> columns;
    std::optional<std::vector<int32_t>> grains;  // one per column, from --grains
    std::optional<int32_t> grainsRow;            // the sheet row holding them, from --grains-row
    std::optional<std::string> matrixOut;        // .csv or .xlsx
    std::optional<std::string> graphs;           // folder for MDS and Matrix images
    std::string graphFormat = "png";
    std::vector<Measure> measures{Measure::KsD};  // as listed; the first one is mapped
    bool everyMeasure = false;   // --measure says all: those with no value for the samples left out
    std::optional<MdsKind> mds;  // --mds: the map judged by its stress
};

/// @brief The measures of --measure's list in table order (the windows table's columns);
/// UsageError naming what does not read.
std::vector<Measure> measuresOf(const std::string& list);

/// @brief The same in the order listed, for --matrix: the first is mapped, and the blocks of the
/// matrix file follow the list.
std::vector<Measure> matrixMeasuresOf(const std::string& list);

/// @brief True when the command line asks for the many-profile comparison.
bool wantsMatrix(const BatchOptions& options);

/// @brief Checks the options of --matrix in the import dialog's order and with its messages
/// (From row, To row, the rows together), then the sheet, the Age column, --columns, the grain
/// counts and the matrix file's name. Options of the two-profile comparison that have no
/// meaning here (--summary, --windows, --y1, --y2, --excel5) are a UsageError, as are
/// --columns, --matrix-out and --grains-row without --matrix.
MatrixSettings checkMatrixOptions(const BatchOptions& options);

/// @brief Refuses the options of --matrix in a two-profile run (UsageError).
void refuseMatrixOptions(const BatchOptions& options);

}  // namespace kestrel::batch
