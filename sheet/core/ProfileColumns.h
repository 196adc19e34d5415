// Reading many profile columns of one sheet over one row range, with the sample names from the
// header row and, when asked, the grain counts from a row of their own.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "engine/comparison/ProfileMatrix.h"
#include "sheet/core/EmptyCells.h"
#include "sheet/core/SpreadsheetCore.h"

namespace kestrel {

/// @brief Where the profiles are on the active sheet (rows and columns count from 1).
struct ProfileColumnsRange {
    int32_t FromRow = 2, ToRow = 3;
    std::vector<int32_t> columns;
    std::optional<int32_t> grainsRow;  // absent: no grain counts, no p-values
    /// When given, every row of the range needs an age there: an empty one means the range
    /// runs past the data and is refused, as for two profiles.
    std::optional<int32_t> ageCol;
};

/// @brief Reads every column of the range at rows FromRow..ToRow, row by row, with the Number
/// rules of the two-profile read (an empty cell is 0 and counted in `emptyCells` when given,
/// text must be a number; a cell that is none raises the component's error naming the cell; a
/// column without a single number is refused). Each sample is named by the nearest cell above
/// row FromRow (within 1,000 rows) that holds text that is not blank, the grains row skipped,
/// else by its column letters. With
/// grainsRow, each column's cell there must hold a whole number from 1 to kMaxGrains.
/// The range is checked first: To row below From row is "Incorrect values entered for rows to
/// import", rows and columns outside the sheet are the component's errors. `rowsRead` is told
/// every 4,096 rows how many have been read.
ProfileSamples readProfileColumns(SpreadsheetCore& source, const ProfileColumnsRange& range,
                                  const std::function<void(int32_t rowsRead)>& rowsRead = {},
                                  EmptyProfileCells* emptyCells = nullptr);

/// @brief The columns right of `ageCol`, up to the active sheet's last used column, whose cell
/// in row `fromRow` holds a number (or text that reads as one): what a many-profile comparison
/// offers by default.
std::vector<int32_t> numericColumnsRightOf(const SpreadsheetCore& source, int32_t ageCol,
                                           int32_t fromRow);

}  // namespace kestrel
