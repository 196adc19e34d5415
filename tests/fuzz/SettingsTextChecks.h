// Properties of the settings reader and writer on any INI text: reading never fails, the peak
// heights end in their "##0.00" form, and what was read is written back and reads the same.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/SettingsFile.h"
#include "engine/NumberText.h"
#include "tests/fuzz/FuzzCheck.h"
#include "ui/SettingsFields.h"

namespace kestrel::fuzz {

namespace detail {

// The nineteen persisted fields, as one comparable list of texts.
inline std::vector<std::string> persistedFields(const SettingsFields& f) {
    std::vector<std::string> out{
        f.DataImportPath, f.DataExportPath,   f.ClientDatasetPath,    f.AgeColStr,
        f.Y1ColStr,       f.Y2ColStr,         f.AgeWindowWidthStr,    f.FromRowStr,
        f.ToRowStr,       f.MinPeakHeightStr, f.BaselinePeakHeightStr};
    for (int32_t v : {f.MainLeft, f.MainTop, f.MainHeight, f.MainWidth, f.SheetLeft, f.SheetTop,
                      f.SheetHeight, f.SheetWidth}) {
        out.push_back(std::to_string(v));
    }
    return out;
}

inline size_t utf8Characters(const std::string& text) {
    size_t n = 0;
    for (unsigned char c : text) n += (c & 0xC0) != 0x80;
    return n;
}

}  // namespace detail

inline void checkSettingsText(std::string_view text) {
    SettingsFields first;
    std::vector<std::string> warnings;
    const SettingsWarning warn = [&warnings](const std::string& w) { warnings.push_back(w); };
    readSettingsText(text, first, warn, "/default/folder");

    require(warnings.size() <= 2, "more than one warning per peak height");
    for (const std::string& w : warnings) {
        require(w == "Incorrect Minimum Peak Height from .ini file" ||
                    w == "Incorrect Baseline Peak Height from .ini file",
                "unexpected warning: " + w);
    }
    require(first.MinPeakHeightStr == formatFixed(first.MinPeakHeight, 2, ".") &&
                first.BaselinePeakHeightStr == formatFixed(first.BaselinePeakHeight, 2, "."),
            "a peak height text is not its value in the ##0.00 form");
    for (const std::string& field : detail::persistedFields(first)) {
        require(detail::utf8Characters(field) <= kMaxSettingsTextLength,
                "a text longer than the settings file's limit was taken");
    }

    // Written into the same text and read again (with another default folder, so that a key
    // left out of the written text shows), every persisted field reads back as it was.
    const std::string written = settingsText(text, first);
    SettingsFields second;
    std::vector<std::string> secondWarnings;
    readSettingsText(
        written, second, [&](const std::string& w) { secondWarnings.push_back(w); },
        "/another/folder");
    const auto a = detail::persistedFields(first), b = detail::persistedFields(second);
    for (size_t i = 0; i < a.size(); ++i) {
        require(a[i] == b[i], "field " + std::to_string(i) + " reads back as \"" + b[i] +
                                  "\" instead of \"" + a[i] + "\"");
    }
}

// Fields set as a user's entries and chosen folders would set them, from any bytes: the input
// split at each 0x1E byte gives the nine texts, the window positions come from its size. Written
// and read back, every text is exactly what was set; one too long for a read is refused with a
// note and keeps the value the file had.
inline void checkSettingsFields(std::string_view bytes) {
    const auto textsOf = [](SettingsFields& f) {
        return std::array<std::string*, 9>{
            &f.DataImportPath,    &f.DataExportPath, &f.ClientDatasetPath,
            &f.AgeColStr,         &f.Y1ColStr,       &f.Y2ColStr,
            &f.AgeWindowWidthStr, &f.FromRowStr,     &f.ToRowStr};
    };
    SettingsFields set;
    const auto texts = textsOf(set);
    size_t index = 0;
    for (char c : bytes) {
        if (c != '\x1E') {
            texts[index]->push_back(c);
        } else if (++index == texts.size()) {
            break;
        }
    }
    int32_t* positions[] = {&set.MainLeft,  &set.MainTop,  &set.MainHeight,  &set.MainWidth,
                            &set.SheetLeft, &set.SheetTop, &set.SheetHeight, &set.SheetWidth};
    for (size_t i = 0; i < std::size(positions); ++i) {
        *positions[i] = static_cast<int32_t>(0x9E3779B9u * (bytes.size() + i * 977u));
    }
    set.MinPeakHeight = static_cast<double>(bytes.size()) / 7;
    set.MinPeakHeightStr = formatFixed(set.MinPeakHeight, 2, ".");
    set.BaselinePeakHeightStr = "-2.50";

    const std::string before = "[File Paths]\nData import path=/before\n";
    std::vector<std::string> notes;
    const std::string written = settingsText(before, set, &notes);
    SettingsFields back;
    readSettingsText(written, back, {}, "/default/folder");

    // What a refused text reads back as: the value the file held before.
    SettingsFields expected = set, previous;
    readSettingsText(before, previous, {}, "/default/folder");
    size_t refused = 0;
    for (size_t i = 0; i < texts.size(); ++i) {
        if (detail::utf8Characters(*texts[i]) <= kMaxSettingsTextLength) continue;
        ++refused;
        *textsOf(expected)[i] = *textsOf(previous)[i];
    }
    require(notes.size() == refused, "a text too long to be saved went without a note");
    const auto a = detail::persistedFields(expected), b = detail::persistedFields(back);
    for (size_t i = 0; i < a.size(); ++i) {
        require(a[i] == b[i], "set field " + std::to_string(i) + " reads back as \"" + b[i] +
                                  "\" instead of \"" + a[i] + "\"");
    }
}

}  // namespace kestrel::fuzz
