// Reads the text of a critical value table ("Alpha,n,CritValue", then one row per line) in
// pieces as they arrive, so that a file of a million rows is never held whole in memory.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/CriticalValueTable.h"

namespace kestrel {

/// @brief The first line of every table text.
inline constexpr std::string_view kCriticalValueTableHeader = "Alpha,n,CritValue";

class CriticalValueTableParser {
  public:
    /// @brief `expectedBytes` (the file's size, when known) only sizes the row list up front.
    explicit CriticalValueTableParser(size_t expectedBytes = 0);

    /// @brief Takes the next piece of the text and reads every line it completes. Throws
    /// KestrelError with the reason ("line 7: n is not a whole number") at the first line
    /// that does not fit.
    void feed(std::string_view piece);
    /// @brief Reads the last line (the one without a line end) and hands over the rows. Throws
    /// KestrelError for an empty text or a last line that does not fit.
    std::vector<CriticalValueRow> finish();

    /// @brief One row line on its own (not the header; a trailing "\r" allowed), by the same
    /// rules as feed: the row, or nothing for a blank line or one that does not fit.
    static std::optional<CriticalValueRow> readRow(std::string_view line);

  private:
    void readLine(std::string_view line);
    [[noreturn]] void fail(const char* reason) const;

    std::vector<CriticalValueRow> m_rows;
    std::string m_partialLine;  // the start of a line whose end has not arrived yet
    size_t m_lineNumber = 0;
    // The rows of a generated table all hold the same Alpha text: it is read once.
    std::string m_lastAlphaText;
    double m_lastAlpha = 0;
};

}  // namespace kestrel
