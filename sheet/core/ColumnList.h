// Column lists as the user types them: a range of letters such as "B:AZ", a list "B,D,F", or
// both ("B:D,H").
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kestrel {

/// @brief The name the column list field goes by in messages.
inline constexpr const char* kProfileColumnsField = "Profile columns";

/// @brief The columns named by `text`, in the order given: comma-separated items, each one
/// column (letters) or a range FIRST:LAST (FIRST not right of LAST). Spaces are ignored and
/// letters may be in either case. Throws KestrelError "Incorrect value entered for Profile
/// columns: ..." saying what is wrong: an empty text or item, a character other than a letter,
/// ':' or ',', letters beyond the sheet's last column, a range that runs backwards, a column
/// named twice.
std::vector<int32_t> parseColumnList(const std::string& text);

/// @brief The columns as the shortest list text: runs of three or more as ranges ("B:E,G,H").
std::string columnListText(const std::vector<int32_t>& columns);

}  // namespace kestrel
