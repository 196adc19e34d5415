// Reads OpenDocument spreadsheets (.ods): the tables of content.xml and the active table named
// in settings.xml.
#pragma once

#include "sheet/core/Workbook.h"
#include "sheet/packages/ZipPackage.h"

namespace kestrel {

/// @brief Whether the package is an OpenDocument spreadsheet (its mimetype part says so).
bool isOdsPackage(ZipPackage& package);

/// @brief Reads the workbook of an .ods package: every table becomes a sheet, in order; cells
/// are numbers (percentages and currencies too), texts, booleans, errors and the cached
/// results of formulas (a formula without one is empty); dates become serial numbers counted
/// from 1899-12-30, times fractions of a day. Repeated rows and columns cost nothing while
/// empty. Throws KestrelError naming the file.
Workbook readOdsPackage(ZipPackage& package);

}  // namespace kestrel
