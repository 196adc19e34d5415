// Loading, looking up and saving the table of Kolmogorov-Smirnov critical values.
#include "engine/CriticalValueTable.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <unordered_set>

#include "engine/AtomicFile.h"
#include "engine/KestrelError.h"
#include "engine/NumberText.h"

namespace kestrel {
namespace {

constexpr std::string_view kHeader = "Alpha,n,CritValue";
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
// A table of every sample size up to a million is about 30 MB; anything far larger is not a
// table and is refused before it is read into memory.
constexpr long long kMaxFileBytes = 512LL * 1024 * 1024;

// Why a file's bytes cannot be had, in the system's words.
std::string readFileBytes(const std::string& path, std::string& bytes) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return std::strerror(errno);
    if (S_ISDIR(info.st_mode)) return std::strerror(EISDIR);
    if (info.st_size > kMaxFileBytes) return "the file is too large to be a table";
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return std::strerror(errno);
    bytes.clear();
    bytes.reserve(static_cast<size_t>(info.st_size));
    char buffer[65536];
    ssize_t got = 0;
    while ((got = ::read(fd, buffer, sizeof buffer)) != 0) {
        if (got < 0 && errno == EINTR) continue;
        if (got < 0 || static_cast<long long>(bytes.size()) + got > kMaxFileBytes) {
            const int error = got < 0 ? errno : EFBIG;
            ::close(fd);
            return std::strerror(error);
        }
        bytes.append(buffer, static_cast<size_t>(got));
    }
    ::close(fd);
    return {};
}

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

// The rows of a generated table all hold the same Alpha text: it is read once, at its first row.
struct AlphaMemo {
    std::string_view text;
    double value = 0;
};

std::optional<double> readAlpha(std::string_view text, AlphaMemo& memo) {
    if (!memo.text.empty() && text == memo.text) return memo.value;
    const auto alpha = readReal(text);
    if (alpha) memo = {text, *alpha};
    return alpha;
}

// One data line "alpha,n,crit"; the reason in `error` when it does not fit.
std::optional<CriticalValueRow> parseRow(std::string_view line, AlphaMemo& memo,
                                         std::string& error) {
    const size_t first = line.find(',');
    const size_t second = first == std::string_view::npos ? first : line.find(',', first + 1);
    if (second == std::string_view::npos || line.find(',', second + 1) != std::string_view::npos) {
        error = "it does not hold three comma-separated fields";
        return std::nullopt;
    }
    const auto alpha = readAlpha(line.substr(0, first), memo);
    const auto n = readWhole(line.substr(first + 1, second - first - 1));
    const auto crit = readReal(line.substr(second + 1));
    if (!alpha)
        error = "Alpha is not a real number";
    else if (!n)
        error = "n is not a whole number";
    else if (!crit)
        error = "CritValue is not a real number";
    if (!error.empty()) return std::nullopt;
    return CriticalValueRow{*alpha, *n, *crit};
}

std::vector<CriticalValueRow> parseTable(std::string_view text) {
    if (text.starts_with(kByteOrderMark)) text.remove_prefix(kByteOrderMark.size());
    std::vector<CriticalValueRow> rows;
    rows.reserve(text.size() / 32);  // a generated row takes about 33 bytes
    size_t lineNumber = 0;
    AlphaMemo memo;
    while (!text.empty()) {
        const size_t end = text.find('\n');
        const std::string_view line = stripLineEnd(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        ++lineNumber;
        if (lineNumber == 1) {
            if (line != kHeader) {
                throw KestrelError("line 1 is not the header \"" + std::string(kHeader) + "\"");
            }
            continue;
        }
        if (isBlank(line)) continue;
        std::string error;
        auto row = parseRow(line, memo, error);
        if (!row) throw KestrelError("line " + std::to_string(lineNumber) + ": " + error);
        rows.push_back(*row);
    }
    if (lineNumber == 0) throw KestrelError("the file is empty");
    return rows;
}

void appendShortest(std::string& out, double value) {
    if (!std::isfinite(value)) {
        throw KestrelError("a value of the table is not a finite number");
    }
    char buffer[32];
    auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, end);
}

}  // namespace

void CriticalValueTable::load(const std::string& path) {
    close();
    setRows({});
    m_source = path;
    std::string bytes;
    const std::string failure = readFileBytes(path, bytes);
    if (!failure.empty()) throw KestrelError(loadFailureWarning(path) + ": " + failure);
    loadText(bytes, path);
}

void CriticalValueTable::loadText(std::string_view text, const std::string& displayName) {
    close();
    setRows({});
    m_source = displayName;
    std::vector<CriticalValueRow> rows;
    try {
        rows = parseTable(text);
    } catch (const KestrelError& error) {
        throw KestrelError(loadFailureWarning(displayName) + ": " + error.what());
    }
    setRows(std::move(rows));
    open();
}

double CriticalValueTable::lookup(int32_t m) {
    m_filterText = "n=" + std::to_string(m);
    m_filterN = m;
    m_filterOn = true;
    if (!m_open) return 0.0;
    const CriticalValueRow* row = firstRowOf(m);
    if (row == nullptr) {
        m_missing.push_back(m);
        return 0.0;
    }
    return row->CritValue;
}

const CriticalValueRow* CriticalValueTable::firstRowOf(int32_t m) const {
    if (m_index.empty()) {
        const auto found =
            std::lower_bound(m_rows.begin(), m_rows.end(), m,
                             [](const CriticalValueRow& row, int32_t n) { return row.n < n; });
        return found != m_rows.end() && found->n == m ? &*found : nullptr;
    }
    const auto found =
        std::lower_bound(m_index.begin(), m_index.end(), std::pair<int32_t, size_t>(m, 0));
    return found != m_index.end() && found->first == m ? &m_rows[found->second] : nullptr;
}

std::vector<int32_t> CriticalValueTable::takeMissingSizes() {
    // A size is asked for again by every window of that length; it is reported once.
    std::vector<int32_t> sizes;
    std::unordered_set<int32_t> seen;
    for (const int32_t m : m_missing) {
        if (seen.insert(m).second) sizes.push_back(m);
    }
    m_missing.clear();
    return sizes;
}

std::string CriticalValueTable::missingSizeWarning(int32_t m, const std::string& source) {
    return "no critical value for " + std::to_string(m) + " rows in " + source;
}

std::vector<CriticalValueRow> CriticalValueTable::visibleRows() const {
    if (!m_open) return {};
    if (!m_filterOn) return m_rows;
    std::vector<CriticalValueRow> visible;
    for (const auto& row : m_rows) {
        if (row.n == m_filterN) visible.push_back(row);
    }
    return visible;
}

void CriticalValueTable::save(const std::string& path) {
    open();
    std::string text;
    try {
        text = fileText(m_rows);
    } catch (const KestrelError& error) {
        throw KestrelError("Cannot write " + path + ": " + error.what());
    }
    writeFileAtomically(path, text);
}

void CriticalValueTable::setRows(std::vector<CriticalValueRow> rows) {
    m_rows = std::move(rows);
    m_index.clear();
    m_missing.clear();
    const bool ascending =
        std::adjacent_find(m_rows.begin(), m_rows.end(),
                           [](const CriticalValueRow& a, const CriticalValueRow& b) {
                               return a.n >= b.n;
                           }) == m_rows.end();
    if (ascending) return;
    m_index.reserve(m_rows.size());
    for (size_t i = 0; i < m_rows.size(); ++i) m_index.emplace_back(m_rows[i].n, i);
    std::sort(m_index.begin(), m_index.end());  // ties ordered by row index: stored order
}

std::string CriticalValueTable::formatAlpha(double alpha, std::string_view decimalSeparator) {
    // "0.00#": three decimals, the third shown only when it is not zero.
    std::string text = formatFixed(alpha, 3, decimalSeparator);
    if (std::isfinite(alpha) && text.back() == '0') text.pop_back();
    return text;
}

std::string CriticalValueTable::formatCritValue(double value, std::string_view decimalSeparator) {
    return formatFixed(value, 4, decimalSeparator);
}

std::string CriticalValueTable::fileText(const std::vector<CriticalValueRow>& rows) {
    std::string text(kHeader);
    text += '\n';
    text.reserve(rows.size() * 32 + text.size());
    for (const auto& row : rows) {
        appendShortest(text, row.Alpha);
        text += ',';
        text += std::to_string(row.n);
        text += ',';
        appendShortest(text, row.CritValue);
        text += '\n';
    }
    return text;
}

std::string CriticalValueTable::loadFailureWarning(const std::string& path) {
    return "Unable to load critical values from " + path;
}

std::string criticalValueTablePath(const std::string& folder) {
    return folder + "/" + kCriticalValueFileName;
}

std::string defaultTableSavePath() {
    std::string home;
    if (const char* value = std::getenv("HOME"); value != nullptr && *value != '\0') {
        home = value;
    } else if (const passwd* entry = ::getpwuid(::getuid()); entry != nullptr && entry->pw_dir) {
        home = entry->pw_dir;
    }
    if (home.empty()) {
        throw KestrelError("Cannot save the critical value table: there is no home folder");
    }
    if (home.back() != '/') home += '/';
    return home + kCriticalValueFileName;
}

}  // namespace kestrel
