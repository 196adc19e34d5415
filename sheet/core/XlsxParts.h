// The fixed and generated parts of a SpreadsheetML (.xlsx) package other than its sheets'
// cells, and the escaping of cell text.
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

}  // namespace kestrel::xlsx
