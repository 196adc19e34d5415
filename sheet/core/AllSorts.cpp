// Space removal and the column-letter rule.
#include "sheet/core/AllSorts.h"

#include <algorithm>

#include "engine/NumberText.h"

namespace kestrel {

void RemoveSpaces(std::string& text) { std::erase(text, ' '); }

int32_t ColumnNumber(std::string letters) {
    letters = upperAscii(letters);
    RemoveSpaces(letters);
    if (letters.empty()) return 0;
    auto code = [](char c) { return static_cast<int32_t>(static_cast<unsigned char>(c)) - 64; };
    if (letters.size() == 2) return code(letters[0]) * 26 + code(letters[1]);
    return code(letters[0]);
}

}  // namespace kestrel
