// Fills one worksheet from a file reader's cells in file order, row by row, within the extent a
// sheet has (1,048,576 rows x 16,384 columns).
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "sheet/core/Workbook.h"

namespace kestrel {

/// @brief Collects the cells of the row being read and stores each finished row at its exact
/// size. Cells that come out of order (a writer may do that) are stored all the same, only
/// more slowly. Errors are KestrelError "Cannot read <file>: ...".
class SheetBuilder {
  public:
    SheetBuilder(Worksheet& sheet, const std::string& fileName)
        : m_sheet(sheet), m_fileName(fileName) {}
    SheetBuilder(const SheetBuilder&) = delete;
    SheetBuilder& operator=(const SheetBuilder&) = delete;

    /// @brief Stores a cell at the 1-based (row, col); an Empty cell stores nothing. A row or
    /// column outside the sheet's extent is refused, naming the sheet and the position.
    void add(int row, int col, Cell cell);
    /// @brief Checks that (row, col) lies inside the sheet, without storing anything.
    void checkInside(int row, int col) const;
    /// @brief Stores the row still being collected; call once at the end of the sheet.
    void finish();
    /// @brief Cells stored so far.
    size_t cellCount() const { return m_cells; }

  private:
    void flushRow();

    Worksheet& m_sheet;
    const std::string& m_fileName;
    int m_row = 0;  // the row being collected
    std::vector<std::pair<int, Cell>> m_pending;
    size_t m_cells = 0;
};

}  // namespace kestrel
