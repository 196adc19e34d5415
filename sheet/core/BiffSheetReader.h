// Reads the cells of one worksheet substream of a BIFF5/BIFF8 workbook stream.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "sheet/core/BiffRecords.h"
#include "sheet/core/BiffText.h"
#include "sheet/core/Workbook.h"

namespace kestrel {

/// @brief What the sheets of one workbook share while they are read.
struct BiffBookContext {
    std::string fileName;  ///< for error messages
    bool biff8 = true;
    const CodepageDecoder* decoder = nullptr;
    const std::vector<std::string>* sharedStrings = nullptr;
    /// Text bytes the cells may hold in all; repeated shared strings could otherwise turn a
    /// small file into a huge workbook.
    size_t textBudget = 0;
};

/// @brief Reads number, text, boolean, error and formula-result cells of one worksheet into a
/// Worksheet. Cells outside 65,536 rows x 16,384 columns are ignored, empty texts leave the cell
/// empty, and cells may arrive in any order (a later record for the same cell wins).
class BiffSheetReader {
  public:
    BiffSheetReader(BiffBookContext& context, Worksheet& sheet)
        : m_context(context), m_sheet(sheet) {}

    /// @brief Reads the substream whose BOF record starts at `start`, up to its EOF record,
    /// never past `end`. Throws KestrelError naming the file, the sheet and where useful the
    /// cell when the substream is damaged.
    void read(std::string_view stream, size_t start, size_t end);

  private:
    struct PendingCell {
        uint16_t row;
        uint16_t col;
        Cell cell;
    };

    void onCellRecord(BiffRecordCursor& cursor);
    void readMulRk(std::string_view data);
    void readLabel(BiffRecordCursor& cursor, bool sharedString);
    void readBoolErr(std::string_view data);
    void readFormula(std::string_view data);
    void readStringResult(BiffRecordCursor& cursor);
    std::string readRecordText(BiffRecordCursor& cursor, size_t skip);
    void addCell(uint16_t row, uint16_t col, Cell cell);
    void addNumber(uint16_t row, uint16_t col, double value);
    void addText(uint16_t row, uint16_t col, std::string text);
    void storeLateCells();
    void storeRowCells();
    [[noreturn]] void damaged(const std::string& what) const;

    BiffBookContext& m_context;
    Worksheet& m_sheet;
    // Cells arriving in ascending order go straight into the sheet; the others wait here.
    std::vector<PendingCell> m_lateCells;
    // The cells of the row being read, stored whole once the next row starts.
    std::vector<std::pair<int, Cell>> m_rowCells;
    int m_lastRow = -1;
    int m_lastCol = -1;
    std::optional<std::pair<uint16_t, uint16_t>> m_formulaAwaitingString;
};

/// @brief The value of an RK number (a packed integer or a shortened double, maybe / 100).
double decodeRk(uint32_t rk);

/// @brief The literal of an Excel error code ("#DIV/0!" for 0x07); "#N/A" for unknown codes.
std::string errorLiteral(uint8_t code);

}  // namespace kestrel
