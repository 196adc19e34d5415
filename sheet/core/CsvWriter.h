// Writing one sheet as comma-separated text (UTF-8, RFC 4180 quoting).
#pragma once

#include <memory>
#include <string>

#include "sheet/core/CellSink.h"

namespace kestrel {

/// @brief A .csv file at `path`: the first sheet only (cells of a later sheet are refused with
/// a KestrelError, a .csv file holding one sheet), one line per row from row 1 to the last row
/// with a cell, each ending at its last cell (an empty row is an empty line), CRLF line ends,
/// "," between fields. Numbers are
/// the shortest text that reads back as the same double, with "." as decimal point (an infinite
/// number or one that is not a number as "#NUM!"); booleans TRUE/FALSE; error values as their
/// literal. A field holding ",", a quote, a line break or a blank at either end is quoted.
/// `displayPath` names the file in messages.
std::unique_ptr<CellSink> openCsvSink(const std::string& path, const std::string& displayPath);

/// @brief The shortest text that reads back as exactly `value` ("." as decimal point).
std::string shortestNumberText(double value);

}  // namespace kestrel
