// Reads comma-separated text (.csv): UTF-8 with or without a byte order mark, RFC 4180 quoting,
// "," or, when the first line has more of them outside quotes, ";" as separator.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "sheet/core/Workbook.h"

namespace kestrel {

/// @brief Reads a .csv file into a workbook of one sheet named after the file (without its
/// folder and extension). A field that is a real number by the program's rule ("." decimal
/// point) becomes a Number, any other non-empty field Text. CRLF and LF end records; a quoted
/// field may hold separators, line breaks and doubled quotes. Text that is not UTF-8, a quote
/// left open, more than 1,048,576 records or 16,384 fields in a record are refused with a
/// KestrelError naming the file and the line.
Workbook readCsvFile(const std::string& path);

/// @brief The same on text held in memory; `displayName` names the file in errors and the sheet.
Workbook readCsvBytes(std::string_view bytes, const std::string& displayName);

}  // namespace kestrel
