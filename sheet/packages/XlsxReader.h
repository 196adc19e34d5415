// Reads Excel 2007 and later workbooks (.xlsx, .xlsm): the package's relationships, the
// workbook part (sheet names, order, active tab), the shared strings and each worksheet's cells.
#pragma once

#include <string>
#include <vector>

#include "sheet/core/Workbook.h"
#include "sheet/packages/ZipPackage.h"

namespace kestrel {

class XmlPartReader;

/// @brief Whether the package holds an Office Open XML workbook.
bool isXlsxPackage(ZipPackage& package);

/// @brief Reads the workbook of an .xlsx/.xlsm package. Only worksheets become sheets (chart,
/// dialog and macro sheets are skipped); cells are numbers, shared and inline strings,
/// booleans, errors and the cached results of formulas (a formula without one is empty);
/// dates stay the serial numbers the file stores. Throws KestrelError naming the file.
Workbook readXlsxPackage(ZipPackage& package);

/// @brief The worksheet part's cells into `sheet`; `sharedStrings` is the workbook's table.
void readXlsxSheet(ZipPackage& package, const std::string& partPath,
                   const std::vector<std::string>& sharedStrings, Worksheet& sheet);

/// @brief The text of the <si> or <is> element the reader is on: every <t>, rich-text runs
/// joined, phonetic guides left out. The reader ends on the element's end tag.
std::string readXlsxRichText(XmlPartReader& xml);

}  // namespace kestrel
