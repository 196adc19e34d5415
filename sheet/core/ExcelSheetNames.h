// The rules Excel applies to text it stores: lengths counted in UTF-16 units, and which sheet
// names a workbook may hold. Shared by every writer and by renaming a sheet.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace kestrel {

/// @brief Length of UTF-8 text in UTF-16 code units, as Excel counts it.
size_t utf16Length(std::string_view utf8);

/// @brief Why Excel would refuse `name` as a sheet name (empty, longer than 31 characters, or
/// holding one of : \ / ? * [ ]), or nothing when it takes it. Duplicates are the caller's.
std::optional<std::string> excelSheetNameProblem(const std::string& name);

}  // namespace kestrel
