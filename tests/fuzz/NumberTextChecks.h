// Properties of the whole-number and real-number parsers and of formatFixed, checked against
// the C library's own conversions (strtoull, strtod) on the same text.
#pragma once

#include <cerrno>
#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "engine/NumberText.h"
#include "tests/fuzz/FuzzCheck.h"

namespace kestrel::fuzz {

namespace detail {

inline bool isDecimal(char c) {
    return c >= '0' && c <= '9';
}
inline bool isHex(char c) {
    return isDecimal(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

/// The whole-number grammar by itself: sign, base and digits, or nullopt when the text does not
/// fit it (whatever the value).
struct WholeSyntax {
    bool negative = false;
    int base = 10;
    std::string digits;
};

inline std::optional<WholeSyntax> wholeSyntax(std::string_view text) {
    size_t i = text.find_first_not_of(' ');
    if (i == std::string_view::npos) return std::nullopt;
    WholeSyntax s;
    if (text[i] == '+' || text[i] == '-') s.negative = text[i++] == '-';
    std::string_view rest = text.substr(i);
    if (rest.starts_with("0x") || rest.starts_with("0X")) {
        s.base = 16, rest.remove_prefix(2);
    } else if (rest.starts_with("$") || rest.starts_with("x") || rest.starts_with("X")) {
        s.base = 16, rest.remove_prefix(1);
    }
    if (rest.empty()) return std::nullopt;
    for (char c : rest) {
        if (s.base == 16 ? !isHex(c) : !isDecimal(c)) return std::nullopt;
    }
    s.digits = std::string(rest);
    return s;
}

inline bool realSyntax(std::string_view text) {
    size_t i = text.find_first_not_of(' ');
    if (i == std::string_view::npos) return false;
    if (text[i] == '+' || text[i] == '-') ++i;
    size_t digits = 0;
    while (i < text.size() && isDecimal(text[i])) ++i, ++digits;
    if (i < text.size() && text[i] == '.') {
        for (++i; i < text.size() && isDecimal(text[i]); ++i) ++digits;
    }
    if (digits == 0) return false;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
        size_t exponentDigits = 0;
        while (i < text.size() && isDecimal(text[i])) ++i, ++exponentDigits;
        if (exponentDigits == 0) return false;
    }
    return i == text.size();
}

}  // namespace detail

/// @brief parseWholeNumber accepts exactly the texts of the grammar whose value fits 32 bits,
/// and yields the value strtoull finds in the same digits.
inline void checkWholeNumber(std::string_view text) {
    const std::optional<int32_t> parsed = parseWholeNumber(text);
    const auto syntax = detail::wholeSyntax(text);
    if (!syntax) {
        require(!parsed, "parseWholeNumber accepted text outside the grammar");
        return;
    }
    errno = 0;
    const unsigned long long magnitude =
        std::strtoull(syntax->digits.c_str(), nullptr, syntax->base);
    const bool tooLong = errno == ERANGE;
    const unsigned long long limit = syntax->negative ? 2147483648ULL : 2147483647ULL;
    if (tooLong || magnitude > limit) {
        require(!parsed, "parseWholeNumber accepted a value beyond 32 bits");
        return;
    }
    require(parsed.has_value(), "parseWholeNumber refused a valid whole number");
    const long long expected =
        syntax->negative ? -static_cast<long long>(magnitude) : static_cast<long long>(magnitude);
    require(*parsed == expected, "parseWholeNumber gave another value than strtoull");
}

/// @brief parseRealNumber accepts exactly the texts of the grammar that do not overflow, and
/// yields strtod's correctly rounded value (values below the normal range may read as 0).
inline void checkRealNumber(std::string_view text) {
    const std::optional<double> parsed = parseRealNumber(text);
    if (!detail::realSyntax(text)) {
        require(!parsed, "parseRealNumber accepted text outside the grammar");
        return;
    }
    const std::string copy(text);
    errno = 0;
    const double expected = std::strtod(copy.c_str(), nullptr);
    const bool outOfRange = errno == ERANGE;
    if (outOfRange && std::isinf(expected)) {
        require(!parsed, "parseRealNumber accepted a value that overflows a double");
        return;
    }
    require(parsed.has_value(), "parseRealNumber refused a valid real number");
    require(std::isfinite(*parsed), "parseRealNumber gave a value that is not finite");
    if (std::fabs(expected) < DBL_MIN) {
        require(*parsed == expected || *parsed == 0.0,
                "parseRealNumber misread a value below the normal range");
    } else {
        require(*parsed == expected, "parseRealNumber gave another value than strtod");
    }
}

/// @brief formatFixed rounds to `decimals` places: the text has that many decimals, reads back
/// within half a unit of the last place, is symmetric in the sign, and only the separator
/// changes with the locale's separator.
inline void checkFormatFixed(double value, int decimals) {
    if (!std::isfinite(value) || std::fabs(value) > 1e15) return;
    const std::string text = formatFixed(value, decimals, ".");
    const size_t point = text.find('.');
    if (decimals == 0) {
        require(point == std::string::npos, "formatFixed wrote a point for 0 decimals");
    } else {
        require(point != std::string::npos && text.size() - point - 1 == size_t(decimals),
                "formatFixed wrote another number of decimals: " + text);
        require(point > 0 && detail::isDecimal(text[point - 1]),
                "formatFixed wrote no digit before the point: " + text);
    }
    const std::optional<double> back = parseRealNumber(text);
    require(back.has_value(), "formatFixed wrote a text the parser refuses: " + text);
    const double unit = std::pow(10.0, -decimals);
    // Half a unit, plus what reading the rounded text back may add.
    const double slack = 0.5 * unit * (1 + 1e-9) + (std::fabs(value) + 1) * 4 * DBL_EPSILON;
    require(std::fabs(*back - value) <= slack, "formatFixed rounded too far: " + text);

    const std::string negated = formatFixed(-value, decimals, ".");
    if (*back == 0.0) {
        require(negated == text && text[0] != '-', "formatFixed signed a zero: " + negated);
    } else {
        const std::string magnitude = text[0] == '-' ? text.substr(1) : text;
        const std::string negatedMagnitude = negated[0] == '-' ? negated.substr(1) : negated;
        require(magnitude == negatedMagnitude && (text[0] == '-') != (negated[0] == '-'),
                "formatFixed is not symmetric in the sign: " + text + " / " + negated);
    }
    std::string comma = text;
    if (point != std::string::npos) comma[point] = ',';
    require(formatFixed(value, decimals, ",") == comma,
            "formatFixed changed more than the separator");
}

/// @brief Every property above, on one fuzz input: the whole input as text, and, when it is long
/// enough, its first bytes as a double and a number of decimals.
inline void checkNumberTexts(std::string_view input) {
    checkWholeNumber(input);
    checkRealNumber(input);
    if (input.size() >= 9) {
        ByteReader reader(input);
        const int decimals = reader.byte() % 7;
        checkFormatFixed(reader.rawDouble(), decimals);
    }
}

}  // namespace kestrel::fuzz
