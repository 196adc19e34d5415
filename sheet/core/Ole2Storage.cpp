// Finds and reads the workbook stream of an OLE2 compound file held in memory: the header, the
// allocation tables, the root's directory entries, and the stream's chain of sectors (or of mini
// sectors, for a stream below the cut-off). Every id and every chain is checked against the file
// before it is followed, so a damaged or hostile file is refused, never read out of bounds.
#include "sheet/core/Ole2Storage.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "sheet/core/BiffText.h"
#include "sheet/core/LittleEndian.h"
#include "sheet/core/ReadError.h"

namespace kestrel {

namespace {

constexpr std::string_view kOleMagic{"\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8};
constexpr const char* kSaveAsHint = "save it as Excel 97-2003 Workbook (.xls) and open that";
constexpr uint32_t kEndOfChain = 0xFFFFFFFE;
constexpr uint32_t kNoEntry = 0xFFFFFFFF;
constexpr uint32_t kLastRegularId = 0xFFFFFFFA;
constexpr size_t kHeaderTableIds = 109;
constexpr size_t kEntrySize = 128;

/// A structure the file cannot hold: why, in a few words.
struct Broken {
    std::string detail;
};

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return (x | 0x20) == (y | 0x20);
           });
}

/// Why a file that is not a compound file is not an .xls workbook, in words a user can act on.
std::string describeForeignFile(std::string_view bytes) {
    if (bytes.starts_with("PK\x03\x04")) {
        if (bytes.find("application/vnd.oasis.opendocument") != std::string_view::npos) {
            return std::string(
                       "it is an OpenDocument spreadsheet (.ods), not an Excel workbook; ") +
                   kSaveAsHint;
        }
        return std::string("it is an Excel 2007 or later workbook (.xlsx/.xlsb); ") + kSaveAsHint;
    }
    if (bytes.size() >= 4) {
        const uint16_t id = readU16le(bytes.data());
        if (id == 0x0009 || id == 0x0209 || id == 0x0409) {
            return std::string("it is an Excel 2.x-4.0 workbook; ") + kSaveAsHint;
        }
    }
    const size_t first = bytes.find_first_not_of(" \t\r\n\xEF\xBB\xBF");
    if (first != std::string_view::npos && bytes[first] == '<') {
        return std::string(
                   "it is a web page or XML file with an .xls name, not an Excel "
                   "workbook; open it in a spreadsheet program and ") +
               kSaveAsHint;
    }
    return "it is not an Excel workbook (.xls)";
}

/// A bare BIFF5/BIFF8 stream starts with a BOF record of id 0x0809.
bool isBareBiffStream(std::string_view bytes) {
    return bytes.size() >= 8 && readU16le(bytes.data()) == 0x0809;
}

struct DirectoryEntry {
    std::string name;  // UTF-8
    uint8_t type = 0;  // 1 storage, 2 stream, 5 root
    uint32_t left = kNoEntry, right = kNoEntry, child = kNoEntry;
    uint32_t start = kEndOfChain;
    uint64_t size = 0;
};

class CompoundFile {
  public:
    explicit CompoundFile(std::string_view file) : m_file(file) {
        readHeader();
        readAllocationTable();
        readDirectory();
        readMiniTable();
    }

    /// The streams and storages directly below the root, in the directory's order.
    std::vector<const DirectoryEntry*> rootChildren() const {
        std::vector<uint32_t> found;
        std::vector<uint32_t> pending{m_entries.front().child};
        std::vector<bool> seen(m_entries.size(), false);
        while (!pending.empty()) {
            const uint32_t id = pending.back();
            pending.pop_back();
            if (id == kNoEntry) continue;
            if (id >= m_entries.size() || seen[id]) throw Broken{"its directory tree loops"};
            seen[id] = true;
            found.push_back(id);
            pending.push_back(m_entries[id].left);
            pending.push_back(m_entries[id].right);
        }
        std::sort(found.begin(), found.end());
        std::vector<const DirectoryEntry*> children;
        for (const uint32_t id : found) children.push_back(&m_entries[id]);
        return children;
    }

    /// The whole stream; throws Broken when its chain leaves the file or loops.
    std::string read(const DirectoryEntry& entry) const {
        if (entry.size == 0) return {};
        if (entry.size < m_miniCutoff) {
            return gather(chain(entry.start, m_miniTable, "mini stream"), m_miniStream, 64,
                          entry.size);
        }
        return gather(chain(entry.start, m_table, "stream"), m_file, m_sectorSize, entry.size,
                      m_sectorSize);
    }

  private:
    void readHeader() {
        if (m_file.size() < 512) throw Broken{"its header is cut short"};
        if (readU16le(m_file.data() + 28) != 0xFFFE) throw Broken{"its byte order mark is wrong"};
        const uint16_t shift = readU16le(m_file.data() + 30);
        const uint16_t miniShift = readU16le(m_file.data() + 32);
        if (shift < 7 || shift > 16 || miniShift != 6) throw Broken{"its sector size is invalid"};
        m_sectorSize = size_t{1} << shift;
        m_tableSectors = readU32le(m_file.data() + 44);
        m_directoryStart = readU32le(m_file.data() + 48);
        m_miniCutoff = readU32le(m_file.data() + 56);
        m_miniTableStart = readU32le(m_file.data() + 60);
        m_extraStart = readU32le(m_file.data() + 68);
        m_extraSectors = readU32le(m_file.data() + 72);
        if (m_tableSectors > sectorCount() || m_extraSectors > sectorCount()) {
            throw Broken{"its allocation table is larger than the file"};
        }
    }

    size_t sectorCount() const { return m_file.size() / m_sectorSize; }

    std::string_view sector(uint32_t id, const char* what) const {
        const uint64_t offset = (uint64_t{id} + 1) * m_sectorSize;
        if (id > kLastRegularId || offset >= m_file.size()) {
            throw Broken{std::string("its ") + what + " lies outside the file"};
        }
        return m_file.substr(static_cast<size_t>(offset), m_sectorSize);
    }

    // The allocation table's sectors are listed in the header (109) and then in the chain of
    // extra-table sectors, whose last id points to the next.
    void readAllocationTable() {
        std::vector<uint32_t> tableIds;
        for (size_t i = 0; i < kHeaderTableIds && tableIds.size() < m_tableSectors; ++i) {
            tableIds.push_back(readU32le(m_file.data() + 76 + 4 * i));
        }
        const size_t idsPerSector = m_sectorSize / 4;
        uint32_t next = m_extraStart;
        for (uint32_t n = 0; tableIds.size() < m_tableSectors; ++n) {
            if (n >= m_extraSectors || next == kEndOfChain) {
                throw Broken{"its allocation table is incomplete"};
            }
            const std::string_view extra = sector(next, "allocation table");
            for (size_t i = 0; i + 1 < idsPerSector && tableIds.size() < m_tableSectors; ++i) {
                tableIds.push_back(readU32le(extra.data() + 4 * i));
            }
            next = readU32le(extra.data() + 4 * (idsPerSector - 1));
        }
        m_table.reserve(tableIds.size() * idsPerSector);
        for (const uint32_t id : tableIds) {
            const std::string_view part = sector(id, "allocation table");
            if (part.size() < m_sectorSize) throw Broken{"its allocation table is cut short"};
            for (size_t i = 0; i < idsPerSector; ++i)
                m_table.push_back(readU32le(part.data() + 4 * i));
        }
    }

    // The sectors of a chain in order, each checked against the table; a chain that loops or
    // runs off the table is broken.
    std::vector<uint32_t> chain(uint32_t start, const std::vector<uint32_t>& table,
                                const char* what) const {
        std::vector<uint32_t> ids;
        for (uint32_t id = start; id != kEndOfChain; id = table[id]) {
            if (id >= table.size() || ids.size() >= table.size()) {
                throw Broken{std::string("its ") + what + " chain is broken"};
            }
            ids.push_back(id);
        }
        return ids;
    }

    // The first `size` bytes of the units (sectors or mini sectors) of `ids` in `source`, a run
    // of neighbouring units copied at once; a sector may be the file's last, cut short, when
    // nothing is missing that the size needs.
    std::string gather(const std::vector<uint32_t>& ids, std::string_view source, size_t unit,
                       uint64_t size, size_t skip = 0) const {
        if (size > uint64_t{ids.size()} * unit) throw Broken{"its stream is cut short"};
        std::string bytes;
        bytes.reserve(static_cast<size_t>(size));
        for (size_t i = 0; i < ids.size() && bytes.size() < size;) {
            size_t run = 1;
            while (i + run < ids.size() && ids[i + run] == ids[i] + run) ++run;
            const uint64_t offset = uint64_t{ids[i]} * unit + skip;
            const size_t wanted =
                static_cast<size_t>(std::min<uint64_t>(uint64_t{run} * unit, size - bytes.size()));
            if (offset + wanted > source.size()) throw Broken{"its stream is cut short"};
            bytes.append(source.substr(static_cast<size_t>(offset), wanted));
            i += run;
        }
        return bytes;
    }

    // Every sector of a chain of the file's own sectors, in order.
    std::string wholeChain(uint32_t start, const char* what) const {
        const std::vector<uint32_t> sectors = chain(start, m_table, what);
        return gather(sectors, m_file, m_sectorSize, uint64_t{sectors.size()} * m_sectorSize,
                      m_sectorSize);
    }

    void readDirectory() {
        const std::string directory = wholeChain(m_directoryStart, "directory");
        for (size_t at = 0; at + kEntrySize <= directory.size(); at += kEntrySize) {
            m_entries.push_back(entryAt(directory.data() + at));
        }
        if (m_entries.empty() || m_entries.front().type != 5) {
            throw Broken{"its root entry is missing"};
        }
    }

    DirectoryEntry entryAt(const char* p) const {
        DirectoryEntry e;
        const size_t nameBytes = std::min<size_t>(readU16le(p + 64), 64);
        std::u16string units;
        for (size_t i = 0; i + 1 < nameBytes; i += 2) {
            const auto unit = static_cast<char16_t>(readU16le(p + i));
            if (unit == 0) break;
            units.push_back(unit);
        }
        appendUtf16AsUtf8(e.name, units);
        e.type = static_cast<uint8_t>(p[66]);
        e.left = readU32le(p + 68);
        e.right = readU32le(p + 72);
        e.child = readU32le(p + 76);
        e.start = readU32le(p + 116);
        // Version 3 files use only the low half of the size; its high half may hold junk.
        e.size = m_sectorSize == 512 ? readU32le(p + 120) : readU64le(p + 120);
        return e;
    }

    // Streams below the cut-off live in the mini stream (the root entry's own stream), in
    // 64-byte mini sectors chained by the mini table. Both are read with the file's structure,
    // so a broken one is refused like a broken directory.
    void readMiniTable() {
        const DirectoryEntry& root = m_entries.front();
        if (m_miniTableStart == kEndOfChain || root.start == kEndOfChain) return;
        if (root.size > m_file.size()) throw Broken{"its mini stream is larger than the file"};
        const std::string table = wholeChain(m_miniTableStart, "mini table");
        for (size_t at = 0; at + 4 <= table.size(); at += 4) {
            m_miniTable.push_back(readU32le(table.data() + at));
        }
        m_miniStream = gather(chain(root.start, m_table, "mini stream"), m_file, m_sectorSize,
                              root.size, m_sectorSize);
    }

    std::string_view m_file;
    size_t m_sectorSize = 512;
    uint32_t m_tableSectors = 0, m_directoryStart = kEndOfChain, m_miniCutoff = 4096;
    uint32_t m_miniTableStart = kEndOfChain, m_extraStart = kEndOfChain, m_extraSectors = 0;
    std::vector<uint32_t> m_table, m_miniTable;
    std::vector<DirectoryEntry> m_entries;
    std::string m_miniStream;
};

const DirectoryEntry* findWorkbookStream(const std::vector<const DirectoryEntry*>& children) {
    const DirectoryEntry* book = nullptr;
    for (const DirectoryEntry* entry : children) {
        if (entry->type != 2) continue;
        // An Excel 97 file saved for Excel 5 too holds both; the Excel 97 stream is the full one.
        if (equalsIgnoringCase(entry->name, "Workbook")) return entry;
        if (equalsIgnoringCase(entry->name, "Book")) book = entry;
    }
    return book;
}

std::string describeMissingWorkbook(const std::vector<const DirectoryEntry*>& children) {
    const auto has = [&](std::string_view wanted) {
        return std::any_of(children.begin(), children.end(), [&](const DirectoryEntry* e) {
            return equalsIgnoringCase(e->name, wanted);
        });
    };
    if (has("EncryptedPackage")) {
        return "it is a password-protected Excel 2007 or later workbook; remove the password and "
               "save it as Excel 97-2003 Workbook (.xls)";
    }
    if (has("WordDocument")) return "it is a Word document, not an Excel workbook";
    if (has("PowerPoint Document")) return "it is a PowerPoint presentation, not an Excel workbook";
    return "it is a compound document that holds no Excel workbook";
}

}  // namespace

WorkbookStream readWorkbookStream(std::string_view fileBytes, const std::string& displayName) {
    if (fileBytes.empty()) throw readError(displayName, "the file is empty");
    if (!fileBytes.starts_with(kOleMagic)) {
        if (isBareBiffStream(fileBytes)) return {std::string(fileBytes), {}};
        throw readError(displayName, describeForeignFile(fileBytes));
    }
    std::optional<CompoundFile> file;
    const DirectoryEntry* stream = nullptr;
    std::vector<const DirectoryEntry*> children;
    try {
        file.emplace(fileBytes);
        children = file->rootChildren();
        stream = findWorkbookStream(children);
    } catch (const Broken& broken) {
        throw readError(displayName, "it is damaged: its compound-file structure is broken (" +
                                         broken.detail + ")");
    }
    if (!stream) throw readError(displayName, describeMissingWorkbook(children));
    // A stream is made of the file's own sectors, so it cannot be larger than the file.
    if (stream->size > fileBytes.size()) {
        throw readError(displayName, "it is damaged: its workbook stream claims " +
                                         std::to_string(stream->size) + " bytes in a file of " +
                                         std::to_string(fileBytes.size()));
    }
    WorkbookStream result;
    result.streamName = stream->name;
    try {
        result.bytes = file->read(*stream);
    } catch (const Broken& broken) {
        throw readError(displayName, "it is damaged: its workbook stream is cut short or broken (" +
                                         broken.detail + ")");
    }
    return result;
}

}  // namespace kestrel
