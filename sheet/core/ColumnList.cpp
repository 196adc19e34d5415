// Parsing and writing column lists.
#include "sheet/core/ColumnList.h"

#include <set>
#include <string_view>

#include "engine/KestrelError.h"
#include "engine/NumberText.h"
#include "sheet/core/AllSorts.h"
#include "sheet/core/Workbook.h"

namespace kestrel {
namespace {

[[noreturn]] void refuse(const std::string& text, const std::string& why) {
    throw KestrelError(std::string("Incorrect value entered for ") + kProfileColumnsField + ": \"" +
                       text + "\" " + why + " (give column letters as B:AZ or B,D,F)");
}

// Letters to a column number, any length, checked against the sheet's last column.
int32_t letterColumn(std::string_view letters, const std::string& text) {
    if (letters.empty()) refuse(text, "has an empty column");
    int64_t col = 0;
    for (const char c : letters) {
        if (c < 'A' || c > 'Z')
            refuse(text, "holds \"" + std::string(1, c) + "\", which is no column letter");
        col = col * 26 + (c - 'A' + 1);
        if (col > kMaxSheetCols) {
            refuse(text, "names the column " + std::string(letters) +
                             ", beyond the sheet's last column " + columnLetters(kMaxSheetCols));
        }
    }
    return static_cast<int32_t>(col);
}

std::vector<std::string_view> split(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    size_t start = 0;
    for (size_t at = text.find(separator); at != std::string_view::npos;
         at = text.find(separator, start)) {
        parts.push_back(text.substr(start, at - start));
        start = at + 1;
    }
    parts.push_back(text.substr(start));
    return parts;
}

}  // namespace

std::vector<int32_t> parseColumnList(const std::string& text) {
    std::string cleaned = upperAscii(text);
    RemoveSpaces(cleaned);
    if (cleaned.empty()) refuse(text, "names no column");
    std::vector<int32_t> columns;
    std::set<int32_t> seen;
    for (const std::string_view item : split(cleaned, ',')) {
        const std::vector<std::string_view> ends = split(item, ':');
        if (ends.size() > 2) refuse(text, "holds a range with more than one ':'");
        const int32_t first = letterColumn(ends.front(), text);
        const int32_t last = letterColumn(ends.back(), text);
        if (last < first) {
            refuse(text, "holds the range " + std::string(item) + ", which runs backwards");
        }
        for (int32_t col = first; col <= last; ++col) {
            if (!seen.insert(col).second) {
                refuse(text, "names the column " + columnLetters(col) + " twice");
            }
            columns.push_back(col);
        }
    }
    return columns;
}

std::string columnListText(const std::vector<int32_t>& columns) {
    std::string text;
    for (size_t i = 0; i < columns.size();) {
        size_t run = i;
        while (run + 1 < columns.size() && columns[run + 1] == columns[run] + 1) ++run;
        if (!text.empty()) text += ',';
        if (run - i >= 2) {
            text += columnLetters(columns[i]) + ":" + columnLetters(columns[run]);
            i = run + 1;
        } else {
            text += columnLetters(columns[i]);
            ++i;
        }
    }
    return text;
}

}  // namespace kestrel
