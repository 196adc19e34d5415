// Lists typed as text: items separated by commas, as the options and the fields take them.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kestrel {

/// @brief The items between the commas, as typed (spaces kept); an empty text is one empty
/// item, and "a,,b" has an empty item between the commas.
std::vector<std::string> commaSeparated(std::string_view text);

/// @brief The text without the spaces and tabs at its ends.
std::string withoutEndSpaces(std::string_view text);

}  // namespace kestrel
