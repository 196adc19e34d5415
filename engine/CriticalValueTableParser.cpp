// Reading a critical value table's text: the header, blank lines, and rows of three fields
// read by the real-number and whole-number rules.
#include "engine/CriticalValueTableParser.h"

#include <charconv>
#include <optional>

#include "engine/KestrelError.h"
#include "engine/NumberText.h"

namespace kestrel {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

bool isBlank(std::string_view line) {
    return line.find_first_not_of(" \t") == std::string_view::npos;
}

std::string_view stripLineEnd(std::string_view line) {
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return line;
}

// The generated table has a million rows, and its fields take the plain forms below; reading
// those directly keeps a program start quick. Every other text goes through the general rules,
// which give the same value for these forms.

// Up to 40 characters of digits with at most one "." (a value from_chars can never take out of
// range); anything else by the real-number rule.
std::optional<double> readReal(std::string_view text) {
    constexpr size_t kPlainLength = 40;
    bool digit = false;
    bool point = false;
    bool plain = text.size() <= kPlainLength;
    for (size_t i = 0; plain && i < text.size(); ++i) {
        const char c = text[i];
        if (c >= '0' && c <= '9')
            digit = true;
        else if (c == '.' && !point)
            point = true;
        else
            plain = false;
    }
    if (!plain || !digit) return parseRealNumber(text);
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) return parseRealNumber(text);
    return value;
}

// One to nine decimal digits (always within 32 bits); anything else by the whole-number rule.
std::optional<int32_t> readWhole(std::string_view text) {
    constexpr size_t kPlainDigits = 9;
    if (text.empty() || text.size() > kPlainDigits) return parseWholeNumber(text);
    int32_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return parseWholeNumber(text);
        value = value * 10 + (c - '0');
    }
    return value;
}

// The three fields of a row line, or nothing when it does not hold exactly three.
struct RowFields {
    std::string_view alpha, n, crit;
};

std::optional<RowFields> splitRow(std::string_view line) {
    const size_t first = line.find(',');
    const size_t second = first == std::string_view::npos ? first : line.find(',', first + 1);
    if (second == std::string_view::npos || line.find(',', second + 1) != std::string_view::npos) {
        return std::nullopt;
    }
    return RowFields{line.substr(0, first), line.substr(first + 1, second - first - 1),
                     line.substr(second + 1)};
}

}  // namespace

std::optional<CriticalValueRow> CriticalValueTableParser::readRow(std::string_view line) {
    line = stripLineEnd(line);
    if (isBlank(line)) return std::nullopt;
    const auto fields = splitRow(line);
    if (!fields) return std::nullopt;
    const auto alpha = readReal(fields->alpha);
    const auto n = readWhole(fields->n);
    const auto crit = readReal(fields->crit);
    if (!alpha || !n || !crit) return std::nullopt;
    return CriticalValueRow{*alpha, *n, *crit};
}

CriticalValueTableParser::CriticalValueTableParser(size_t expectedBytes) {
    m_rows.reserve(expectedBytes / 32);  // a generated row takes about 33 bytes
}

void CriticalValueTableParser::feed(std::string_view piece) {
    while (!piece.empty()) {
        const size_t end = piece.find('\n');
        if (end == std::string_view::npos) {
            m_partialLine.append(piece);
            return;
        }
        if (m_partialLine.empty()) {
            readLine(piece.substr(0, end));
        } else {
            m_partialLine.append(piece.substr(0, end));
            readLine(m_partialLine);
            m_partialLine.clear();
        }
        piece.remove_prefix(end + 1);
    }
}

std::vector<CriticalValueRow> CriticalValueTableParser::finish() {
    if (!m_partialLine.empty()) {
        readLine(m_partialLine);
        m_partialLine.clear();
    }
    if (m_lineNumber == 0) throw KestrelError("the file is empty");
    return std::move(m_rows);
}

void CriticalValueTableParser::readLine(std::string_view line) {
    line = stripLineEnd(line);
    ++m_lineNumber;
    if (m_lineNumber == 1) {
        if (line.starts_with(kByteOrderMark)) line.remove_prefix(kByteOrderMark.size());
        if (line != kCriticalValueTableHeader) {
            throw KestrelError("line 1 is not the header \"" +
                               std::string(kCriticalValueTableHeader) + "\"");
        }
        return;
    }
    if (isBlank(line)) return;
    const auto fields = splitRow(line);
    if (!fields) fail("it does not hold three comma-separated fields");
    if (m_lastAlphaText.empty() || fields->alpha != m_lastAlphaText) {
        const auto alpha = readReal(fields->alpha);
        if (!alpha) fail("Alpha is not a real number");
        m_lastAlphaText = fields->alpha;
        m_lastAlpha = *alpha;
    }
    const auto n = readWhole(fields->n);
    if (!n) fail("n is not a whole number");
    const auto crit = readReal(fields->crit);
    if (!crit) fail("CritValue is not a real number");
    m_rows.push_back({m_lastAlpha, *n, *crit});
}

void CriticalValueTableParser::fail(const char* reason) const {
    throw KestrelError("line " + std::to_string(m_lineNumber) + ": " + reason);
}

}  // namespace kestrel
