// The spreadsheet component's current-cell API over a workbook: set Sheet, Row and Col, then
// read or write Text or Number. No Qt: the grid widget observes it through a listener.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>

#include "sheet/core/Workbook.h"
#include "sheet/core/WorkbookReader.h"

namespace kestrel {

/// File-type codes of ReadWorkbook / WriteWorkbook.
inline constexpr int16_t kFileTypeExcel97 = 11;  // "Excel 97/Excel 8" (BIFF8)
inline constexpr int16_t kFileTypeExcel5 = 4;    // "Excel 5 and 7/95" (BIFF5/BIFF7)

/// @brief What changed, for a view that shows the component.
enum class SheetChange {
    Cells,            // one or more cell values of the active sheet
    Workbook,         // the whole content was replaced (ReadWorkbook)
    ActiveSheet,      // Sheet was set
    SheetNames,       // a sheet was renamed
    MaxRow,           // MaxRow of the active sheet was set
    View,             // FixedRows or ViewScale was set
    ShowCurrentCell,  // the view should scroll the current cell into view
};

/// @brief The spreadsheet component. A fresh component holds one empty sheet "Sheet1", with
/// Sheet, Row and Col at 1. Every failing operation throws KestrelError with a clear message;
/// nothing it is given can make it allocate beyond the cells actually stored.
class SpreadsheetCore {
  public:
    SpreadsheetCore();
    virtual ~SpreadsheetCore() = default;

    int Sheet() const { return m_sheet; }
    /// @brief Makes sheet 1..NumSheets() active; resets nothing else.
    void SetSheet(int sheet);
    int NumSheets() const { return static_cast<int>(m_book.sheets.size()); }

    int Row() const { return m_row; }
    void SetRow(int row);  // 1..1,048,576
    int Col() const { return m_col; }
    void SetCol(int col);  // 1..16,384

    /// @brief The current cell's text: empty for an empty cell, numbers as a spreadsheet shows
    /// them in its general format (up to 15 significant digits), TRUE/FALSE, error literals.
    std::string Text() const;
    /// @brief An empty text empties the cell; any other text is stored as text.
    void SetText(const std::string& text);
    /// @brief Empty reads 0; a number (or a formula's cached number) reads as itself; text that
    /// is a real number reads as that number; any other text, a boolean or an error value throws
    /// an error naming the sheet, the cell and the text (cut to 40 characters, on one line).
    double Number() const;
    void SetNumber(double value);
    /// @brief Number(), but nothing for a cell that holds nothing: no cell, an empty one (a
    /// formula saved without its result) or an empty text, which Number() reads as 0.
    std::optional<double> NumberUnlessEmpty() const;
    /// @brief The numbers `values` into row `row` from column `firstCol` on, as SetNumber would
    /// put them one by one (the current cell stays where it is), with one change told.
    void SetRowNumbers(int row, int firstCol, std::span<const double> values);

    /// @brief Rows of the active sheet's grid. After a load each sheet's MaxRow is its last
    /// used row (at least 1).
    int MaxRow() const;
    void SetMaxRow(int rows);  // 1..1,048,576
    int FixedRows() const { return m_fixedRows; }
    void SetFixedRows(int rows);  // 0..MaxRow
    int16_t ViewScale() const { return m_viewScale; }
    void SetViewScale(int scale);  // zoom in percent, 10..400

    /// @brief Replaces the whole content with the file's workbook. Reads Excel 97 and Excel 5/95
    /// (.xls), Excel 2007+ (.xlsx, .xlsm), OpenDocument (.ods) and comma-separated (.csv) files,
    /// chosen by content whatever `fileType` or the name says; hands back the format found
    /// (11 or 4 for .xls, else a WorkbookFormat code). On failure the content is unchanged and
    /// the error names the file.
    void ReadWorkbook(const std::string& path, int16_t& fileType);
    /// @brief The same as ReadWorkbook(path) when `other` holds that file as it read it (the
    /// file unchanged on disk since, by its identity, size and time, and none of its cells or
    /// names changed): its workbook is moved here instead of being read again, and `other` is
    /// left holding an empty sheet. Returns false, changing nothing, in every other case.
    bool TakeWorkbookFrom(SpreadsheetCore& other, const std::string& path, int16_t& fileType);
    /// @brief Replaces the whole content with `book` (kept in memory, not read from a file),
    /// its active sheet made the current one at row 1, column 1.
    void SetWorkbook(Workbook book);
    /// @brief Adds `sheet` after the last sheet; the current sheet and cell stay. A name that
    /// is empty or already another sheet's is refused with an error.
    void AppendSheet(Worksheet sheet);
    /// @brief With a pump set, ReadWorkbook reads the file on a thread of its own and calls
    /// pump(true) on this one about every 15 ms until the file is read, then pump(false): a view
    /// keeps painting while a large workbook loads. None (the default) reads on this thread.
    void setReadPump(std::function<void(bool stillReading)> pump) { m_readPump = std::move(pump); }
    /// @brief Writes every sheet atomically: code 11 as Excel 97, 4 as Excel 5, 51 (
    /// kFileTypeXlsx) as .xlsx, 6 (kFileTypeCsv) as .csv of the first sheet.
    void WriteWorkbook(const std::string& path, int16_t fileType) const;

    std::string SheetName(int sheet) const;
    /// @brief Renames a sheet; a name that is empty, longer than 31 characters, holds one of
    /// : \ / ? * [ ] or is already another sheet's name is refused with an error.
    void SetSheetName(int sheet, const std::string& name);

    /// @brief Empties the cells of the block on the active sheet. Mode 1 clears values (the only
    /// mode in use); every mode clears the cells' contents, since cells carry no formats here.
    void ClearBlock(int firstRow, int firstCol, int lastRow, int lastCol, int mode);

    /// @brief Asks the view to scroll the current cell into view.
    void ShowCurrentCell();

    const Workbook& workbook() const { return m_book; }
    /// @brief Listener told of every change (a view). One listener; pass {} to remove.
    void setChangeListener(std::function<void(SheetChange)> listener) {
        m_listener = std::move(listener);
    }

  private:
    Worksheet& activeSheet() { return m_book.sheets[static_cast<size_t>(m_sheet - 1)]; }
    const Worksheet& activeSheet() const { return m_book.sheets[static_cast<size_t>(m_sheet - 1)]; }
    void checkSheet(int sheet) const;
    void notify(SheetChange change) const {
        if (m_listener) m_listener(change);
    }

    void install(Workbook book);
    Workbook readPumping(const std::string& path, WorkbookFormat& format);

    // Which file the workbook was read from, to know it is still that file: kept from a read
    // until a cell or a sheet name changes.
    struct ReadOrigin {
        std::string path;
        unsigned long long device = 0, inode = 0;
        long long size = 0, seconds = 0, nanoseconds = 0;
        int16_t fileType = 0;
        int activeSheet = 1;
        bool operator==(const ReadOrigin&) const = default;
    };
    static std::optional<ReadOrigin> originOf(const std::string& path);
    void changed() { m_origin.reset(); }

    Workbook m_book;
    std::optional<ReadOrigin> m_origin;
    std::vector<int> m_maxRows;  // per sheet
    int m_sheet = 1, m_row = 1, m_col = 1;
    int m_fixedRows = 0;
    int16_t m_viewScale = 100;
    std::function<void(SheetChange)> m_listener;
    std::function<void(bool)> m_readPump;
};

/// @brief A number as a spreadsheet's general format shows it: up to 15 significant digits,
/// no trailing zeros, exponent form for very large or small magnitudes ("1E+20", "1.5E-07").
std::string generalNumberText(double value);

}  // namespace kestrel
