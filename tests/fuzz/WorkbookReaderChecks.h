// Properties of the .xls reader on any bytes: it reads a workbook or refuses with an error that
// names the file, and what it reads stays inside the sheet's address space and in proportion to
// the input's size.
#pragma once

#include <string>
#include <string_view>

#include "engine/KestrelError.h"
#include "sheet/core/BiffReader.h"
#include "sheet/core/SpreadsheetCore.h"
#include "sheet/core/Workbook.h"
#include "tests/fuzz/FuzzCheck.h"

namespace kestrel::fuzz {

/// @brief Reads `bytes` as a workbook file. Returns true when it was read, false when it was
/// refused; throws InvariantBroken when either outcome breaks a property.
inline bool checkWorkbookBytes(std::string_view bytes) {
    const std::string name = "hostile.xls";
    int16_t fileType = 0;
    Workbook book;
    try {
        book = readWorkbookBytes(bytes, name, fileType);
    } catch (const KestrelError& error) {
        require(std::string_view(error.what()).find(name) != std::string_view::npos,
                std::string("a refusal does not name the file: ") + error.what());
        return false;
    }
    require(fileType == kFileTypeExcel97 || fileType == kFileTypeExcel5,
            "a workbook was read with file type " + std::to_string(fileType));
    require(!book.sheets.empty(), "a workbook was read without sheets");
    require(book.activeSheet >= 1 && book.activeSheet <= static_cast<int>(book.sheets.size()),
            "the active sheet is not one of the sheets");
    size_t cells = 0, textBytes = 0;
    for (const Worksheet& sheet : book.sheets) {
        sheet.forEachCell([&](int row, int col, const Cell& cell) {
            require(row >= 1 && row <= kMaxSheetRows && col >= 1 && col <= kMaxSheetCols,
                    "a cell was stored outside the sheet: " + std::to_string(row) + "," +
                        std::to_string(col));
            require(cell.kind != CellKind::Empty, "an empty cell was stored");
            ++cells;
            textBytes += cell.text.size();
        });
        require(sheet.lastRow() <= kMaxSheetRows && sheet.lastCol() <= kMaxSheetCols,
                "a sheet's extent lies outside the address space");
    }
    // The smallest cell record (a MULRK entry) takes 6 bytes of the file.
    require(cells <= bytes.size() / 6 + 1, "more cells were read than the file can hold");
    // Shared strings may be referenced many times, but never beyond the reader's allowance.
    require(textBytes <= (size_t{64} << 20) + 32 * bytes.size(),
            "more text was read than the file can justify");
    return true;
}

}  // namespace kestrel::fuzz
