// Text helpers of the import dialog: removing spaces and turning column letters into numbers.
#pragma once

#include <cstdint>
#include <string>

namespace kestrel {

/// @brief Deletes every space character (code 32) from the text, in place.
void RemoveSpaces(std::string& text);

/// @brief Column letters to a column number: the text is upper-cased (a to z only) and its
/// spaces removed; two characters c1 c2 give (c1 - 64) * 26 + (c2 - 64), any other length gives
/// c1 - 64 from the first character alone (0 for an empty text), a character's code being its
/// Unicode code point. No character is rejected: A = 1, Z = 26, AA = 27, IV = 256, "abc" = 1,
/// "é" = 169.
int32_t ColumnNumber(std::string letters);

}  // namespace kestrel
