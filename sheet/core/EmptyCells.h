// What reading a row range does with empty cells: an empty age or a profile column without a
// single number refuses the range (it runs past the data, or names the wrong column); an empty
// profile cell among numbers reads as 0 and is counted, so that the log can say so.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "sheet/core/SpreadsheetCore.h"

namespace kestrel {

/// @brief The empty profile cells of one read, column by column in the order read.
struct EmptyProfileCells {
    struct Column {
        int32_t col = 0;
        int64_t count = 0;
    };
    std::vector<Column> columns;  // only columns with at least one empty cell

    void add(int32_t col, int64_t count);
    int64_t total() const;
    /// @brief "12 empty profile cells read as 0 (column B: 10, column C: 2)"; empty when none.
    std::string note() const;
};

/// @brief Tells the empty Age cell at `row` (the current cell's column) apart: the rows of the
/// range run past the data when no later row up to `toRow` holds an age, else a gap in the ages.
/// The sheet is the component's active one.
[[noreturn]] void refuseEmptyAge(const SpreadsheetCore& source, int32_t row, int32_t col,
                                 int32_t fromRow, int32_t toRow);

/// @brief Refuses a profile column that holds no number at all in rows fromRow..toRow. `role`
/// says what the column was chosen as ("Y data (1)"), or is empty for one of many.
[[noreturn]] void refuseColumnWithoutNumbers(const SpreadsheetCore& source, int32_t col,
                                             const std::string& role, int32_t fromRow,
                                             int32_t toRow);

}  // namespace kestrel
