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
#include <unordered_set>

#include "engine/AtomicFile.h"
#include "engine/CriticalValueTableParser.h"
#include "engine/KestrelError.h"
#include "engine/NumberText.h"

namespace kestrel {
namespace {

// A table of every sample size up to a million is about 35 MB; anything far larger is not a
// table and is refused before it is read.
constexpr long long kMaxFileBytes = 512LL * 1024 * 1024;

// Closes a file descriptor however its reading ends.
class FileCloser {
  public:
    explicit FileCloser(int fd) : m_fd(fd) {}
    ~FileCloser() { ::close(m_fd); }
    FileCloser(const FileCloser&) = delete;
    FileCloser& operator=(const FileCloser&) = delete;

  private:
    int m_fd;
};

[[noreturn]] void failWithSystemReason(int error) {
    throw KestrelError(std::strerror(error));
}

// The rows of the table file, read in pieces; KestrelError with the reason (in the system's
// words when the file's bytes cannot be had) when it cannot be loaded.
std::vector<CriticalValueRow> readTableFile(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) failWithSystemReason(errno);
    if (S_ISDIR(info.st_mode)) failWithSystemReason(EISDIR);
    if (info.st_size > kMaxFileBytes) throw KestrelError("the file is too large to be a table");
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) failWithSystemReason(errno);
    const FileCloser closer(fd);
    CriticalValueTableParser parser(static_cast<size_t>(info.st_size));
    std::vector<char> buffer(256 * 1024);
    long long total = 0;
    ssize_t got = 0;
    while ((got = ::read(fd, buffer.data(), buffer.size())) != 0) {
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) failWithSystemReason(errno);
        total += got;
        if (total > kMaxFileBytes) failWithSystemReason(EFBIG);
        parser.feed(std::string_view(buffer.data(), static_cast<size_t>(got)));
    }
    return parser.finish();
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
    std::vector<CriticalValueRow> rows;
    try {
        rows = readTableFile(path);
    } catch (const KestrelError& error) {
        throw KestrelError(loadFailureWarning(path) + ": " + error.what());
    }
    setRows(std::move(rows));
    open();
}

void CriticalValueTable::loadText(std::string_view text, const std::string& displayName) {
    close();
    setRows({});
    m_source = displayName;
    std::vector<CriticalValueRow> rows;
    try {
        CriticalValueTableParser parser(text.size());
        parser.feed(text);
        rows = parser.finish();
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
    for (size_t i = 0; i < visibleCount(); ++i) visible.push_back(visibleRow(i));
    return visible;
}

size_t CriticalValueTable::visibleCount() const {
    if (!m_open) return 0;
    if (!m_filterOn) return m_rows.size();
    const auto [first, last] = filteredRange();
    return last - first;
}

const CriticalValueRow& CriticalValueTable::visibleRow(size_t i) const {
    if (!m_filterOn) return m_rows[i];
    const size_t at = filteredRange().first + i;
    return m_index.empty() ? m_rows[at] : m_rows[m_index[at].second];
}

std::pair<size_t, size_t> CriticalValueTable::filteredRange() const {
    if (m_index.empty()) {
        const auto [first, last] = std::equal_range(
            m_rows.begin(), m_rows.end(), CriticalValueRow{0, m_filterN, 0},
            [](const CriticalValueRow& a, const CriticalValueRow& b) { return a.n < b.n; });
        return {static_cast<size_t>(first - m_rows.begin()),
                static_cast<size_t>(last - m_rows.begin())};
    }
    const auto [first, last] =
        std::equal_range(m_index.begin(), m_index.end(), std::pair<int32_t, size_t>(m_filterN, 0),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
    return {static_cast<size_t>(first - m_index.begin()),
            static_cast<size_t>(last - m_index.begin())};
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
    std::string text(kCriticalValueTableHeader);
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
