// Space removal and the column-letter rule.
#include "sheet/core/AllSorts.h"

#include <algorithm>
#include <vector>

#include "engine/NumberText.h"

namespace kestrel {

void RemoveSpaces(std::string& text) {
    std::erase(text, ' ');
}

namespace {

// The characters of UTF-8 text as code points; a byte that starts no valid sequence counts as
// one character of its own value.
std::vector<int32_t> codePoints(const std::string& text) {
    std::vector<int32_t> points;
    for (size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const size_t length = lead < 0x80           ? 1
                              : (lead >> 5) == 0x6  ? 2
                              : (lead >> 4) == 0xE  ? 3
                              : (lead >> 3) == 0x1E ? 4
                                                    : 0;
        bool valid = length > 0 && i + length <= text.size();
        for (size_t k = 1; valid && k < length; ++k) {
            valid = (static_cast<unsigned char>(text[i + k]) & 0xC0) == 0x80;
        }
        if (!valid) {
            points.push_back(lead);
            ++i;
            continue;
        }
        int32_t point = length == 1 ? lead : lead & (0x7F >> length);
        for (size_t k = 1; k < length; ++k) {
            point = (point << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        }
        points.push_back(point);
        i += length;
    }
    return points;
}

}  // namespace

int32_t ColumnNumber(std::string letters) {
    letters = upperAscii(letters);
    RemoveSpaces(letters);
    // Letters are characters, not bytes: "é" is one character of code 233.
    const std::vector<int32_t> points = codePoints(letters);
    if (points.empty()) return 0;
    const auto code = [](int32_t point) { return point - 64; };
    if (points.size() == 2) return code(points[0]) * 26 + code(points[1]);
    return code(points[0]);
}

}  // namespace kestrel
