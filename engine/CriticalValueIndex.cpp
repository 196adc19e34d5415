// The critical value index: a fixed header naming the table's version, then one 32-bit text
// offset per sample size 0..maxN (all ones where the table holds no row of that size).
#include "engine/CriticalValueIndex.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

#include "engine/AtomicFile.h"
#include "engine/CriticalValueTable.h"
#include "engine/CriticalValueTableParser.h"
#include "engine/KestrelError.h"

namespace kestrel {
namespace {

constexpr char kMagic[8] = {'K', 'S', 'C', 'V', 'I', 'D', 'X', '1'};
constexpr uint32_t kByteOrderMark = 0x01020304;
constexpr uint32_t kNoRow = 0xFFFFFFFF;
constexpr int32_t kLargestIndexedSize = 1 << 24;
constexpr size_t kLongestRowLine = 256;

struct IndexHeader {
    char magic[8];
    uint64_t tableSize;
    int64_t tableSeconds;  // the table's modification time
    int64_t tableNanoseconds;
    uint32_t maxN;
    uint32_t byteOrder;
};

struct TableVersion {
    uint64_t size = 0;
    int64_t seconds = 0;
    int64_t nanoseconds = 0;
    bool operator==(const TableVersion&) const = default;
};

TableVersion versionOf(const struct stat& info) {
    return {static_cast<uint64_t>(info.st_size), info.st_mtim.tv_sec, info.st_mtim.tv_nsec};
}

std::optional<TableVersion> versionOfFile(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
    return versionOf(info);
}

std::string readWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!in.eof() && in.fail()) throw KestrelError("cannot read " + path);
    return text;
}

// Offsets of the first row line of each size, from a text the loader has accepted.
std::vector<uint32_t> firstRowOffsets(const std::string& text) {
    std::vector<uint32_t> offsets;
    size_t start = text.find('\n');  // past the header
    while (start != std::string::npos && start + 1 < text.size()) {
        ++start;
        const size_t end = text.find('\n', start);
        const auto row = CriticalValueTableParser::readRow(
            std::string_view(text).substr(start, end == std::string::npos ? end : end - start));
        if (row) {
            if (row->n < 0 || row->n > kLargestIndexedSize) {
                throw KestrelError("a sample size of the table lies outside 0 to 2^24");
            }
            const auto n = static_cast<size_t>(row->n);
            if (offsets.size() <= n) offsets.resize(n + 1, kNoRow);
            if (offsets[n] == kNoRow) offsets[n] = static_cast<uint32_t>(start);
        }
        start = end;
    }
    return offsets;
}

bool readExactly(int fd, void* buffer, size_t size, off_t offset) {
    auto* bytes = static_cast<char*>(buffer);
    while (size > 0) {
        const ssize_t got = ::pread(fd, bytes, size, offset);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return false;
        bytes += got;
        size -= static_cast<size_t>(got);
        offset += got;
    }
    return true;
}

}  // namespace

std::string criticalValueIndexPath(const std::string& tablePath) {
    return tablePath + ".idx";
}

void writeCriticalValueIndex(const std::string& tablePath, const std::string& indexPath) {
    const auto before = versionOfFile(tablePath);
    CriticalValueTable table;
    table.load(tablePath);  // the same checks as every program that reads the table whole
    const std::string text = readWholeFile(tablePath);
    if (!before || versionOfFile(tablePath) != before || text.size() != before->size) {
        throw KestrelError("the table " + tablePath + " changed while it was indexed");
    }
    if (text.size() >= kNoRow) throw KestrelError("the table is too large to be indexed");
    const std::vector<uint32_t> offsets = firstRowOffsets(text);
    IndexHeader header{};
    std::memcpy(header.magic, kMagic, sizeof kMagic);
    header.tableSize = before->size;
    header.tableSeconds = before->seconds;
    header.tableNanoseconds = before->nanoseconds;
    header.maxN = offsets.empty() ? 0 : static_cast<uint32_t>(offsets.size() - 1);
    header.byteOrder = kByteOrderMark;
    std::string bytes(reinterpret_cast<const char*>(&header), sizeof header);
    if (offsets.empty()) {
        bytes.append(sizeof(uint32_t), '\xFF');  // size 0: no row
    } else {
        bytes.append(reinterpret_cast<const char*>(offsets.data()),
                     offsets.size() * sizeof offsets[0]);
    }
    writeFileAtomically(indexPath, bytes);
}

std::unique_ptr<IndexedCriticalValues> IndexedCriticalValues::open(const std::string& tablePath) {
    const int indexFd = ::open(criticalValueIndexPath(tablePath).c_str(), O_RDONLY | O_CLOEXEC);
    if (indexFd < 0) return nullptr;
    const int tableFd = ::open(tablePath.c_str(), O_RDONLY | O_CLOEXEC);
    IndexHeader header{};
    struct stat tableInfo {};
    struct stat indexInfo {};
    const bool matches = tableFd >= 0 && readExactly(indexFd, &header, sizeof header, 0) &&
                         std::memcmp(header.magic, kMagic, sizeof kMagic) == 0 &&
                         header.byteOrder == kByteOrderMark && ::fstat(tableFd, &tableInfo) == 0 &&
                         ::fstat(indexFd, &indexInfo) == 0 && S_ISREG(tableInfo.st_mode) &&
                         versionOf(tableInfo) == TableVersion{header.tableSize, header.tableSeconds,
                                                              header.tableNanoseconds} &&
                         static_cast<uint64_t>(indexInfo.st_size) ==
                             sizeof header + (uint64_t{header.maxN} + 1) * sizeof(uint32_t);
    if (!matches) {
        if (tableFd >= 0) ::close(tableFd);
        ::close(indexFd);
        return nullptr;
    }
    return std::unique_ptr<IndexedCriticalValues>(
        new IndexedCriticalValues(tableFd, indexFd, header.maxN));
}

IndexedCriticalValues::IndexedCriticalValues(int tableFd, int indexFd, uint32_t maxN)
    : m_tableFd(tableFd), m_indexFd(indexFd), m_maxN(maxN) {}

IndexedCriticalValues::~IndexedCriticalValues() {
    ::close(m_tableFd);
    ::close(m_indexFd);
}

std::optional<uint32_t> IndexedCriticalValues::offsetOf(int32_t m) const {
    uint32_t offset = kNoRow;
    const off_t at =
        static_cast<off_t>(sizeof(IndexHeader) + static_cast<size_t>(m) * sizeof offset);
    if (!readExactly(m_indexFd, &offset, sizeof offset, at)) return std::nullopt;
    return offset;
}

std::optional<IndexedCriticalValues::Result> IndexedCriticalValues::lookup(int32_t m) const {
    if (m < 0 || static_cast<uint32_t>(m) > m_maxN) return Result{};
    const auto offset = offsetOf(m);
    if (!offset) return std::nullopt;
    if (*offset == kNoRow) return Result{};
    char line[kLongestRowLine];
    ssize_t got = 0;
    do {
        got = ::pread(m_tableFd, line, sizeof line, static_cast<off_t>(*offset));
    } while (got < 0 && errno == EINTR);
    if (got <= 0) return std::nullopt;
    const std::string_view read(line, static_cast<size_t>(got));
    const size_t end = read.find('\n');
    if (end == std::string_view::npos && read.size() == sizeof line) return std::nullopt;
    const auto row = CriticalValueTableParser::readRow(read.substr(0, end));
    if (!row || row->n != m) return std::nullopt;
    return Result{row->CritValue, true};
}

}  // namespace kestrel
