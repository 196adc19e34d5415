// Texts that spreadsheet files store cell positions and values in: "AB12" addresses, ISO 8601
// dates and durations, which become the serial numbers spreadsheets count days in.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace kestrel {

/// @brief The text without leading and trailing spaces, tabs and line breaks.
std::string trimmed(std::string_view text);

/// @brief (row, column), both 1-based, of an address such as "B7" or "$B$7"; nothing for a
/// text that is not one. Values past the sheet's extent are returned as they are (capped so
/// they cannot overflow) for the caller to refuse.
std::optional<std::pair<int, int>> parseCellAddress(std::string_view text);

/// @brief Days since 1899-12-30 (the day spreadsheets count serial dates from) of an ISO 8601
/// date "YYYY-MM-DD" with an optional time "THH:MM[:SS[.fff]]" (any time zone suffix is
/// ignored): "2024-01-02T12:00:00" gives 45293.5. Nothing for any other text.
std::optional<double> isoDateTimeSerial(std::string_view text);

/// @brief Days of an ISO 8601 duration "PT12H30M00S" or "P1DT2H" (office:time-value), with an
/// optional leading "-": "PT12H" gives 0.5. Nothing for any other text.
std::optional<double> isoDurationDays(std::string_view text);

}  // namespace kestrel
