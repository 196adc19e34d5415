// Numbers typed or stored as text: the whole-number and real-number rules, and the fixed
// decimal patterns ("##0.00", "####0.000", "#0.000") used for settings and the window log.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kestrel {

/// @brief Whole number: optional leading spaces, optional sign, then decimal digits, or
/// hexadecimal digits after "$", "x" or "0x" (x in either case). Nothing may follow, not even a
/// space; the value must fit a signed 32-bit integer. Empty text and a lone sign are rejected.
std::optional<int32_t> parseWholeNumber(std::string_view text);

/// @brief Real number: optional leading spaces, optional sign, digits with an optional "." and
/// fraction digits, an optional exponent ("E"/"e", optional sign, at least one digit). The
/// decimal point is always "." whatever the locale. Nothing may follow. Values too large for a
/// double are rejected.
std::optional<double> parseRealNumber(std::string_view text);

/// @brief The value rounded half away from zero (on its exact binary value) to `decimals`
/// places: at least one digit before the separator, no grouping, "-" for negative values
/// (not for a value that rounds to zero). formatFixed(1234.567, 2, ".") gives "1234.57".
std::string formatFixed(double value, int decimals, std::string_view decimalSeparator = ".");

/// @brief Upper-cases the letters a to z only; every other byte is kept.
std::string upperAscii(std::string_view text);

/// @brief The value of a hexadecimal digit (0-9, a-f, A-F), -1 for any other character.
int hexDigitValue(char c);

}  // namespace kestrel
