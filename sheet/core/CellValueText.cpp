// Cell addresses, ISO 8601 dates and durations as spreadsheet files write them.
#include "sheet/core/CellValueText.h"

#include <algorithm>
#include <charconv>
#include <cstdint>

namespace kestrel {

namespace {

constexpr int64_t kCapped = int64_t{1} << 30;

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

/// Digits at `pos` as a number (at most `maxDigits` of them, at least one).
std::optional<int64_t> digitsAt(std::string_view text, size_t& pos, size_t maxDigits = 9) {
    const size_t start = pos;
    int64_t value = 0;
    while (pos < text.size() && isDigit(text[pos]) && pos - start < maxDigits) {
        value = value * 10 + (text[pos++] - '0');
    }
    if (pos == start) return std::nullopt;
    return value;
}

/// Days from 1970-01-01 of a proleptic Gregorian date (H. Hinnant's days_from_civil).
int64_t daysFromCivil(int64_t y, int64_t m, int64_t d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

/// Fraction of a day of "HH:MM[:SS[.fff]]" at `pos`.
std::optional<double> timeOfDay(std::string_view text, size_t& pos) {
    const auto hours = digitsAt(text, pos, 2);
    if (!hours || pos >= text.size() || text[pos++] != ':') return std::nullopt;
    const auto minutes = digitsAt(text, pos, 2);
    if (!minutes) return std::nullopt;
    double seconds = 0;
    if (pos < text.size() && text[pos] == ':') {
        ++pos;
        const char* end = text.data() + text.size();
        const auto [next, ec] = std::from_chars(text.data() + pos, end, seconds);
        if (ec != std::errc() || seconds < 0) return std::nullopt;
        pos = static_cast<size_t>(next - text.data());
    }
    return (static_cast<double>(*hours) * 3600 + static_cast<double>(*minutes) * 60 + seconds) /
           86400.0;
}

}  // namespace

std::string trimmed(std::string_view text) {
    const size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos) return {};
    const size_t last = text.find_last_not_of(" \t\r\n");
    return std::string(text.substr(first, last - first + 1));
}

std::optional<std::pair<int, int>> parseCellAddress(std::string_view text) {
    size_t pos = 0;
    if (pos < text.size() && text[pos] == '$') ++pos;
    int64_t col = 0;
    const size_t lettersStart = pos;
    while (pos < text.size()) {
        const char c = static_cast<char>(text[pos] & ~0x20);
        if (c < 'A' || c > 'Z') break;
        col = std::min(kCapped, col * 26 + (c - 'A' + 1));
        ++pos;
    }
    if (pos == lettersStart) return std::nullopt;
    if (pos < text.size() && text[pos] == '$') ++pos;
    if (pos >= text.size() || !isDigit(text[pos])) return std::nullopt;
    int64_t row = 0;
    while (pos < text.size() && isDigit(text[pos])) {
        row = std::min(kCapped, row * 10 + (text[pos++] - '0'));
    }
    if (pos != text.size()) return std::nullopt;
    return std::make_pair(static_cast<int>(row), static_cast<int>(col));
}

std::optional<double> isoDateTimeSerial(std::string_view text) {
    size_t pos = 0;
    const bool negative = !text.empty() && text[0] == '-';
    if (negative) ++pos;
    const auto year = digitsAt(text, pos, 6);
    if (!year || pos >= text.size() || text[pos++] != '-') return std::nullopt;
    const auto month = digitsAt(text, pos, 2);
    if (!month || pos >= text.size() || text[pos++] != '-') return std::nullopt;
    const auto day = digitsAt(text, pos, 2);
    if (!day || *month < 1 || *month > 12 || *day < 1 || *day > 31) return std::nullopt;
    const int64_t days =
        daysFromCivil(negative ? -*year : *year, *month, *day) - daysFromCivil(1899, 12, 30);
    double serial = static_cast<double>(days);
    if (pos < text.size() && (text[pos] == 'T' || text[pos] == ' ')) {
        ++pos;
        const auto time = timeOfDay(text, pos);
        if (!time) return std::nullopt;
        serial += *time;
    }
    // A time zone ("Z", "+01:00") may follow; a serial date has none.
    if (pos < text.size() && text[pos] != 'Z' && text[pos] != '+' && text[pos] != '-') {
        return std::nullopt;
    }
    return serial;
}

std::optional<double> isoDurationDays(std::string_view text) {
    size_t pos = 0;
    const bool negative = !text.empty() && text[0] == '-';
    if (negative) ++pos;
    if (pos >= text.size() || text[pos++] != 'P') return std::nullopt;
    double seconds = 0;
    bool inTime = false, any = false;
    while (pos < text.size()) {
        if (text[pos] == 'T') {
            inTime = true;
            ++pos;
            continue;
        }
        double value = 0;
        const auto [next, ec] =
            std::from_chars(text.data() + pos, text.data() + text.size(), value);
        if (ec != std::errc() || value < 0) return std::nullopt;
        pos = static_cast<size_t>(next - text.data());
        if (pos >= text.size()) return std::nullopt;
        const char unit = text[pos++];
        if (unit == 'D' && !inTime)
            seconds += value * 86400;
        else if (unit == 'H' && inTime)
            seconds += value * 3600;
        else if (unit == 'M' && inTime)
            seconds += value * 60;
        else if (unit == 'S' && inTime)
            seconds += value;
        else
            return std::nullopt;
        any = true;
    }
    if (!any) return std::nullopt;
    return (negative ? -seconds : seconds) / 86400.0;
}

}  // namespace kestrel
