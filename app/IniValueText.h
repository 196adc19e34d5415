// How a settings value is written into INI text so that it reads back exactly: plain when the
// INI line holds it as it is, else quoted with backslash escapes.
#pragma once

#include <string>
#include <string_view>

namespace kestrel {

/// @brief The value as INI text. A value that an INI line cannot hold as it stands (a line
/// break or other control character, a blank at either end, a leading double quote) is written
/// in double quotes with \\, \", \n, \r, \t and \xHH escapes; any other value is written as is.
std::string iniValueText(std::string_view value);

/// @brief The value an INI text stands for: a quoted text with valid escapes is decoded, any
/// other text (a Windows folder with backslashes, a hand-written value) is taken as it stands.
std::string iniValueFromText(std::string_view text);

}  // namespace kestrel
