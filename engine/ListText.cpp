// Comma-separated lists typed by the user.
#include "engine/ListText.h"

namespace kestrel {

std::vector<std::string> commaSeparated(std::string_view text) {
    std::vector<std::string> items;
    size_t start = 0;
    while (true) {
        const size_t comma = text.find(',', start);
        items.emplace_back(text.substr(start, comma - start));
        if (comma == std::string_view::npos) return items;
        start = comma + 1;
    }
}

std::string withoutEndSpaces(std::string_view text) {
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    return std::string(text.substr(first, text.find_last_not_of(" \t") - first + 1));
}

}  // namespace kestrel
