// The in-memory workbook: named sheets of sparse cells, and the sheet active in the file.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace kestrel {

/// Addressable extent of a sheet (the largest sheet a current spreadsheet program holds).
inline constexpr int kMaxSheetRows = 1048576;
inline constexpr int kMaxSheetCols = 16384;

enum class CellKind { Empty, Number, Text, Boolean, Error };

/// @brief One cell's value. A formula is stored as its cached result. `text` holds UTF-8 text
/// for Text, "TRUE"/"FALSE" for Boolean and the error literal ("#DIV/0!") for Error; `number`
/// holds the value for Number and 1/0 for Boolean.
struct Cell {
    CellKind kind = CellKind::Empty;
    double number = 0.0;
    std::string text;

    static Cell makeNumber(double v) { return Cell{CellKind::Number, v, {}}; }
    static Cell makeText(std::string t) { return Cell{CellKind::Text, 0.0, std::move(t)}; }
    static Cell makeBoolean(bool b) {
        return Cell{CellKind::Boolean, b ? 1.0 : 0.0, b ? "TRUE" : "FALSE"};
    }
    static Cell makeError(std::string literal) {
        return Cell{CellKind::Error, 0.0, std::move(literal)};
    }
};

/// @brief A sheet of sparse cells; memory grows with the cells stored, not with their address.
/// Rows and columns count from 1 and must lie within kMaxSheetRows x kMaxSheetCols.
class Worksheet {
  public:
    explicit Worksheet(std::string name = "Sheet1") : m_name(std::move(name)) {}

    const std::string& name() const { return m_name; }
    void setName(std::string name) { m_name = std::move(name); }

    /// @brief The cell at (row, col), or nullptr when it is empty.
    const Cell* cell(int row, int col) const;
    /// @brief Stores a cell; an Empty cell erases what was there.
    void setCell(int row, int col, Cell cell);
    /// @brief Stores a whole row below every row stored so far, holding no spare capacity (what
    /// the file readers use: a million rows cost their cells and little more). `cells` are
    /// non-empty cells sorted by column; an empty list stores nothing. Throws
    /// std::invalid_argument when `row` is not below the last stored row.
    void appendRow(int row, std::vector<std::pair<int, Cell>>& cells);
    /// @brief Stores non-empty `cells` (sorted by column) in `row` as setCell would one by one:
    /// appended whole when the row lies below every stored row, else cell by cell.
    void setRowCells(int row, std::vector<std::pair<int, Cell>>& cells);
    /// @brief Empties every cell of the block (inclusive bounds).
    void clearBlock(int firstRow, int firstCol, int lastRow, int lastCol);

    /// @brief Last row / column holding a non-empty cell, 0 for an empty sheet.
    int lastRow() const;
    int lastCol() const;
    size_t cellCount() const;

    /// @brief Calls f(row, col, cell) for every non-empty cell, rows then columns ascending.
    template <class F>
    void forEachCell(F&& f) const {
        for (const auto& row : m_rows) {
            for (const auto& [col, c] : row.cells) f(row.row, col, c);
        }
    }

  private:
    struct Row {
        int row;
        std::vector<std::pair<int, Cell>> cells;  // sorted by column
    };
    Row* findRow(int row);
    const Row* findRow(int row) const;

    std::string m_name;
    std::vector<Row> m_rows;  // sorted by row
    // The last column holding a cell, kept as cells arrive; -1 when a removal left it unknown
    // (it is then found again on the next ask).
    mutable int m_lastCol = 0;
};

/// @brief A workbook: at least one sheet once loaded; `activeSheet` is 1-based.
struct Workbook {
    std::vector<Worksheet> sheets;
    int activeSheet = 1;
};

/// @brief Column letters of a 1-based column number: 1 -> "A", 27 -> "AA".
std::string columnLetters(int col);
/// @brief Cell address such as "B7".
std::string cellAddress(int row, int col);

}  // namespace kestrel
