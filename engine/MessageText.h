// Texts quoted inside messages: one line, and short enough for a message box or a terminal.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace kestrel {

/// Characters of a cell's text quoted in a message, before it is cut with "…".
inline constexpr size_t kQuotedCellCharacters = 40;

/// @brief The text on one line (every line break, tab or other control character becomes a
/// space), cut after `maxCharacters` UTF-8 characters with "…" appended; a character is never
/// split.
std::string messageExcerpt(std::string_view text, size_t maxCharacters = kQuotedCellCharacters);

/// @brief A library's complaint made fit for the end of a one-line message: its first line,
/// up to its first sentence end, without a trailing full stop, at most 80 characters.
std::string libraryDetail(std::string_view message);

}  // namespace kestrel
