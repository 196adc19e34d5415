// Where a workbook's cells go when a file is written one cell after another: sheets in order,
// cells of a sheet row by row, columns ascending within a row. Writers of streamed formats
// (.xlsx, .csv) implement it, so a table can be written without first being held as cells.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace kestrel {

class CellSink {
  public:
    virtual ~CellSink() = default;
    /// @brief Starts the next sheet.
    virtual void beginSheet(const std::string& name) = 0;
    /// @brief A hint that the sheet just begun will hold about `cells` cells, for a sink that
    /// builds the sheet in memory to make its room at once. Changes nothing that is written.
    virtual void expectCells(size_t cells) { (void)cells; }
    /// Rows and columns count from 1 and only grow, row by row.
    virtual void number(int row, int col, double value) = 0;
    virtual void text(int row, int col, std::string_view text) = 0;
    virtual void boolean(int row, int col, bool value) = 0;
    /// @brief An error value such as "#DIV/0!".
    virtual void error(int row, int col, std::string_view literal) = 0;
    /// @brief Writes out what is left; throws KestrelError when the file cannot be completed.
    virtual void finish() = 0;
};

}  // namespace kestrel
