// Whole-number and real-number parsing and fixed-decimal formatting.
#include "engine/NumberText.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>
#include <vector>

namespace kestrel {
namespace {

std::string_view skipLeadingSpaces(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    return text.substr(i);
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Accumulates digits of the given base into a magnitude; fails on an empty run, a foreign
// character or a magnitude beyond `limit`.
std::optional<uint64_t> magnitude(std::string_view digits, int base, uint64_t limit) {
    if (digits.empty()) return std::nullopt;
    uint64_t value = 0;
    for (char c : digits) {
        int d = base == 16 ? hexDigitValue(c) : (isDigit(c) ? c - '0' : -1);
        if (d < 0) return std::nullopt;
        value = value * static_cast<uint64_t>(base) + static_cast<uint64_t>(d);
        if (value > limit) return std::nullopt;
    }
    return value;
}

// Position of the first significant digit relative to the decimal point, plus the exponent:
// positive for values of at least 1, so out-of-range values with a positive magnitude overflowed.
long decimalMagnitude(std::string_view number) {
    long position = 0;
    bool significant = false, afterPoint = false;
    size_t i = 0;
    for (; i < number.size() && number[i] != 'e' && number[i] != 'E'; ++i) {
        char c = number[i];
        if (c == '.') {
            afterPoint = true;
            continue;
        }
        if (!significant && c != '0') {
            significant = true;
            if (afterPoint) break;
        }
        if (significant && !afterPoint) ++position;
        if (!significant && afterPoint) --position;
    }
    while (i < number.size() && number[i] != 'e' && number[i] != 'E') ++i;
    long exponent = 0;
    if (i < number.size()) {
        std::string_view e = number.substr(i + 1);
        bool negative = !e.empty() && e[0] == '-';
        if (!e.empty() && (e[0] == '+' || e[0] == '-')) e.remove_prefix(1);
        for (char c : e) exponent = std::min(exponent * 10 + (c - '0'), 100000L);
        if (negative) exponent = -exponent;
    }
    return position + exponent;
}

// The value with `precision` digits after the point, always with "." whatever the C locale
// says, correctly rounded from the exact binary value.
std::string fixedDigits(double magnitude, int precision) {
    std::vector<char> buffer(static_cast<size_t>(precision) + 330);
    auto [end, error] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), magnitude,
                                      std::chars_format::fixed, precision);
    (void)error;  // the buffer holds 309 integer digits and every fraction digit asked for
    return std::string(buffer.data(), end);
}

// The decimal expansion of a non-negative finite double with enough digits after the point to
// round it half away from zero to `decimals` places. to_chars prints the exact binary value; a
// short expansion decides the rounding unless the digits after the rounding position could
// have been changed by that rounding (all 9s) or stand at an exact tie (5 then all 0s),
// in which case the full exact expansion (at most 1074 fraction digits) is used.
std::string decimalExpansion(double magnitude, int decimals) {
    constexpr int kGuardDigits = 20;
    const std::string text = fixedDigits(magnitude, decimals + kGuardDigits);
    const std::string_view guard = std::string_view(text).substr(text.find('.') + 1 + decimals + 1);
    const bool ambiguous = guard.find_first_not_of('9') == std::string_view::npos ||
                           guard.find_first_not_of('0') == std::string_view::npos;
    return ambiguous ? fixedDigits(magnitude, 1100) : text;
}

}  // namespace

std::optional<int32_t> parseWholeNumber(std::string_view text) {
    std::string_view rest = skipLeadingSpaces(text);
    bool negative = false;
    if (!rest.empty() && (rest[0] == '+' || rest[0] == '-')) {
        negative = rest[0] == '-';
        rest.remove_prefix(1);
    }
    int base = 10;
    if (!rest.empty() && rest[0] == '$') {
        base = 16;
        rest.remove_prefix(1);
    } else if (!rest.empty() && (rest[0] == 'x' || rest[0] == 'X')) {
        base = 16;
        rest.remove_prefix(1);
    } else if (rest.size() >= 2 && rest[0] == '0' && (rest[1] == 'x' || rest[1] == 'X')) {
        base = 16;
        rest.remove_prefix(2);
    }
    const uint64_t limit = negative ? 2147483648ULL : 2147483647ULL;
    std::optional<uint64_t> value = magnitude(rest, base, limit);
    if (!value) return std::nullopt;
    int64_t signedValue = negative ? -static_cast<int64_t>(*value) : static_cast<int64_t>(*value);
    return static_cast<int32_t>(signedValue);
}

std::optional<double> parseRealNumber(std::string_view text) {
    std::string_view rest = skipLeadingSpaces(text);
    size_t i = 0;
    if (i < rest.size() && (rest[i] == '+' || rest[i] == '-')) ++i;
    size_t mantissaDigits = 0;
    while (i < rest.size() && isDigit(rest[i])) ++i, ++mantissaDigits;
    if (i < rest.size() && rest[i] == '.') {
        ++i;
        while (i < rest.size() && isDigit(rest[i])) ++i, ++mantissaDigits;
    }
    if (mantissaDigits == 0) return std::nullopt;
    if (i < rest.size() && (rest[i] == 'e' || rest[i] == 'E')) {
        ++i;
        if (i < rest.size() && (rest[i] == '+' || rest[i] == '-')) ++i;
        size_t exponentDigits = 0;
        while (i < rest.size() && isDigit(rest[i])) ++i, ++exponentDigits;
        if (exponentDigits == 0) return std::nullopt;
    }
    if (i != rest.size()) return std::nullopt;

    // from_chars takes no leading "+"; the syntax has been checked above.
    std::string_view number = rest;
    bool negative = false;
    if (number[0] == '+' || number[0] == '-') {
        negative = number[0] == '-';
        number.remove_prefix(1);
    }
    double value = 0;
    auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
    if (error == std::errc::result_out_of_range) {
        // Out of range is either overflow (not a number) or underflow (zero, as a spreadsheet
        // would take it). The decimal magnitude tells which.
        if (decimalMagnitude(number) > 0) return std::nullopt;
        value = 0;
    } else if (error != std::errc() || end != number.data() + number.size()) {
        return std::nullopt;
    }
    return negative ? -value : value;
}

std::string formatFixed(double value, int decimals, std::string_view decimalSeparator) {
    if (std::isnan(value)) return "NAN";
    if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
    decimals = std::clamp(decimals, 0, 30);
    const std::string exact = decimalExpansion(std::fabs(value), decimals);
    const size_t point = exact.find('.');
    std::string digits = exact.substr(0, point) + exact.substr(point + 1, decimals);
    const bool roundUp = exact[point + 1 + decimals] >= '5';
    if (roundUp) {
        int j = static_cast<int>(digits.size()) - 1;
        while (j >= 0 && digits[j] == '9') digits[j--] = '0';
        if (j < 0)
            digits.insert(digits.begin(), '1');
        else
            ++digits[j];
    }
    const size_t integerDigits = digits.size() - static_cast<size_t>(decimals);
    std::string result = digits.substr(0, integerDigits);
    if (decimals > 0) {
        result += decimalSeparator;
        result += digits.substr(integerDigits);
    }
    const bool allZero = digits.find_first_not_of('0') == std::string::npos;
    if (value < 0 && !allZero) result.insert(result.begin(), '-');
    return result;
}

int hexDigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::string upperAscii(std::string_view text) {
    std::string result(text);
    for (char& c : result) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return result;
}

}  // namespace kestrel
