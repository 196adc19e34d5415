// Excel's text lengths and sheet-name rules.
#include "sheet/core/ExcelSheetNames.h"

namespace kestrel {

namespace {
constexpr size_t kMaxSheetNameLength = 31;
}  // namespace

size_t utf16Length(std::string_view utf8) {
    size_t units = 0;
    for (unsigned char c : utf8) {
        if ((c & 0xC0) != 0x80) units += c >= 0xF0 ? 2 : 1;
    }
    return units;
}

std::optional<std::string> excelSheetNameProblem(const std::string& name) {
    if (name.empty()) return "a sheet has an empty name";
    const std::string quoted = "\"" + name + "\"";
    if (utf16Length(name) > kMaxSheetNameLength) {
        return "the sheet name " + quoted +
               " is longer than 31 characters, which Excel does not allow";
    }
    const size_t bad = name.find_first_of(":\\/?*[]");
    if (bad != std::string::npos) {
        return "the sheet name " + quoted + " contains \"" + name[bad] +
               "\", which Excel does not allow in a sheet name";
    }
    return std::nullopt;
}

}  // namespace kestrel
