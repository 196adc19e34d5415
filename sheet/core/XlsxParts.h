// The fixed and generated parts of a SpreadsheetML (.xlsx) package, the escaping of cell text,
// and the elements of number cells.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kestrel::xlsx {

inline constexpr std::string_view kWorksheetStart =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
    "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
    "<sheetData>";
inline constexpr std::string_view kWorksheetEnd = "</sheetData></worksheet>";

extern const std::string_view kStylesXml;
extern const std::string_view kPackageRelsXml;

/// @brief xl/workbook.xml naming the sheets in order (the first one selected).
std::string workbookXml(const std::vector<std::string>& sheetNames);
/// @brief xl/_rels/workbook.xml.rels: sheet i is rId i, the styles follow.
std::string workbookRelsXml(size_t sheets);
/// @brief [Content_Types].xml for the workbook, its styles and `sheets` worksheets.
std::string contentTypesXml(size_t sheets);

/// @brief Appends UTF-8 text as XML character data: &, <, >, " escaped; a control character
/// XML cannot hold (and a literal "_xHHHH_") in SpreadsheetML's _xHHHH_ form.
void appendEscaped(std::string& out, std::string_view text);

/// @brief A number cell kept for writing later.
struct NumberCell {
    int row;
    int col;
    double value;
};

/// @brief Column letters by number, each made once: a sheet's cells name their column again
/// and again.
class ColumnNames {
  public:
    const std::string& of(int col);

  private:
    std::vector<std::string> m_names;
};

/// @brief Appends the start of row `row`'s element, `<row r="7">`, and returns the row number
/// as text, kept in `digits`.
std::string_view appendRowStart(std::string& out, int row, char (&digits)[16]);

/// @brief Appends a number cell's element, `<c r="B7"><v>0.25</v></c>`: its column letters and
/// row number as given, its value the shortest text that reads back as the same double.
void appendNumberCell(std::string& out, std::string_view column, std::string_view rowDigits,
                      double value);

/// @brief Appends whole rows of finite number cells (rows ascending, columns ascending within
/// a row), each row's element around its cells: the same text the sheet writer makes of them
/// one by one.
void appendNumberRows(std::string& out, const std::vector<NumberCell>& cells);

}  // namespace kestrel::xlsx
