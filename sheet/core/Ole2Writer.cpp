// The compound file around one large stream, laid out in full from the stream's size alone, so
// the stream itself can go to the file straight from where it was built.
#include "sheet/core/Ole2Writer.h"

#include <stdexcept>
#include <vector>

#include "sheet/core/LittleEndian.h"

namespace kestrel {

namespace {

constexpr uint32_t kSector = 512;
constexpr uint32_t kIdsPerSector = kSector / 4;
constexpr uint32_t kHeaderTableIds = 109;  // allocation table sectors the header lists
constexpr uint32_t kIdsPerExtraSector = kIdsPerSector - 1;  // the last id chains to the next
constexpr uint32_t kFree = 0xFFFFFFFF;
constexpr uint32_t kEndOfChain = 0xFFFFFFFE;
constexpr uint32_t kTableSector = 0xFFFFFFFD;
constexpr uint32_t kExtraTableSector = 0xFFFFFFFC;
constexpr uint32_t kNoEntry = 0xFFFFFFFF;

void putU16(std::string& out, size_t at, uint16_t v) {
    putLittleEndian(out.data() + at, v);
}
void putU32(std::string& out, size_t at, uint32_t v) {
    putLittleEndian(out.data() + at, v);
}

uint32_t ceilDiv(uint64_t a, uint64_t b) {
    return static_cast<uint32_t>((a + b - 1) / b);
}

/// Where everything lies, in sectors (sector 0 follows the 512-byte header).
struct Layout {
    uint32_t streamSectors = 0;
    uint32_t directory = 0;   // one sector: the root and the stream, and two unused entries
    uint32_t firstTable = 0;  // the allocation table's sectors follow the directory
    uint32_t tableSectors = 0;
    uint32_t firstExtra = 0;  // then the extra table's
    uint32_t extraSectors = 0;
    uint32_t total() const { return firstExtra + extraSectors; }
};

Layout layoutFor(uint64_t streamSize) {
    Layout l;
    l.streamSectors = ceilDiv(streamSize, kSector);
    l.directory = l.streamSectors;
    l.firstTable = l.directory + 1;
    // The table must also list its own sectors and the extra table's: the smallest size that
    // covers them all.
    for (l.tableSectors = 1;; ++l.tableSectors) {
        l.extraSectors = l.tableSectors > kHeaderTableIds
                             ? ceilDiv(l.tableSectors - kHeaderTableIds, kIdsPerExtraSector)
                             : 0;
        const uint64_t sectors = uint64_t{l.firstTable} + l.tableSectors + l.extraSectors;
        if (sectors <= uint64_t{l.tableSectors} * kIdsPerSector) break;
    }
    l.firstExtra = l.firstTable + l.tableSectors;
    return l;
}

std::string header(const Layout& l) {
    std::string h(kSector, '\0');
    h.replace(0, 8, "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
    putU16(h, 24, 0x003E);  // minor version
    putU16(h, 26, 3);       // major version: 512-byte sectors
    putU16(h, 28, 0xFFFE);  // byte order mark
    putU16(h, 30, 9);       // sector size 2^9
    putU16(h, 32, 6);       // mini sector size 2^6
    putU32(h, 44, l.tableSectors);
    putU32(h, 48, l.directory);
    putU32(h, 56, static_cast<uint32_t>(kSmallestCompoundStream));  // mini stream cut-off
    putU32(h, 60, kEndOfChain);                                     // no mini table
    putU32(h, 68, l.extraSectors ? l.firstExtra : kEndOfChain);
    putU32(h, 72, l.extraSectors);
    for (uint32_t i = 0; i < kHeaderTableIds; ++i) {
        putU32(h, 76 + 4 * i, i < l.tableSectors ? l.firstTable + i : kFree);
    }
    return h;
}

void directoryEntry(std::string& out, size_t at, std::string_view name, uint8_t type,
                    uint32_t child, uint32_t start, uint64_t size) {
    for (size_t i = 0; i < name.size(); ++i) putU16(out, at + 2 * i, static_cast<uint8_t>(name[i]));
    putU16(out, at + 64, static_cast<uint16_t>(2 * (name.size() + 1)));
    out[at + 66] = static_cast<char>(type);
    out[at + 67] = 1;  // black in the red-black tree
    putU32(out, at + 68, kNoEntry);
    putU32(out, at + 72, kNoEntry);
    putU32(out, at + 76, child);
    putU32(out, at + 116, start);
    putU32(out, at + 120, static_cast<uint32_t>(size));
}

std::string directory(std::string_view streamName, uint64_t streamSize) {
    std::string d(kSector, '\0');  // entries 2 and 3 stay unused, all zeros
    directoryEntry(d, 0, "Root Entry", 5, 1, kEndOfChain, 0);
    directoryEntry(d, 128, streamName, 2, kNoEntry, 0, streamSize);
    return d;
}

std::string allocationTable(const Layout& l) {
    std::vector<uint32_t> ids(size_t{l.tableSectors} * kIdsPerSector, kFree);
    for (uint32_t s = 0; s + 1 < l.streamSectors; ++s) ids[s] = s + 1;
    ids[l.streamSectors - 1] = kEndOfChain;
    ids[l.directory] = kEndOfChain;
    for (uint32_t i = 0; i < l.tableSectors; ++i) ids[l.firstTable + i] = kTableSector;
    for (uint32_t i = 0; i < l.extraSectors; ++i) ids[l.firstExtra + i] = kExtraTableSector;
    std::string t(ids.size() * 4, '\0');
    for (size_t i = 0; i < ids.size(); ++i) putU32(t, 4 * i, ids[i]);
    return t;
}

std::string extraTable(const Layout& l) {
    std::string t(size_t{l.extraSectors} * kSector, '\0');
    uint32_t listed = kHeaderTableIds;
    for (uint32_t e = 0; e < l.extraSectors; ++e) {
        const size_t at = size_t{e} * kSector;
        for (uint32_t i = 0; i < kIdsPerExtraSector; ++i, ++listed) {
            putU32(t, at + 4 * i, listed < l.tableSectors ? l.firstTable + listed : kFree);
        }
        putU32(t, at + 4 * kIdsPerExtraSector,
               e + 1 < l.extraSectors ? l.firstExtra + e + 1 : kEndOfChain);
    }
    return t;
}

}  // namespace

CompoundFileFrame compoundFileFrame(std::string_view streamName, uint64_t streamSize) {
    if (streamSize < kSmallestCompoundStream) {
        throw std::invalid_argument("compound file stream below the mini stream cut-off");
    }
    if (streamSize > uint64_t{0xFFFFFFFF} - kSector * 1024) {
        throw std::invalid_argument("compound file stream larger than the format holds");
    }
    if (streamName.empty() || streamName.size() > 31) {
        throw std::invalid_argument("compound file stream name of 1 to 31 characters expected");
    }
    for (const char c : streamName) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte > 0x7E || c == '/' || c == '\\' || c == ':' || c == '!') {
            throw std::invalid_argument("compound file stream name of plain ASCII expected");
        }
    }
    const Layout l = layoutFor(streamSize);
    CompoundFileFrame frame;
    frame.head = header(l);
    frame.tail.assign(size_t{l.streamSectors} * kSector - streamSize, '\0');
    frame.tail += directory(streamName, streamSize);
    frame.tail += allocationTable(l);
    frame.tail += extraTable(l);
    return frame;
}

std::string buildCompoundFile(std::string_view streamName, std::string_view content) {
    const CompoundFileFrame frame = compoundFileFrame(streamName, content.size());
    std::string file;
    file.reserve(frame.head.size() + content.size() + frame.tail.size());
    file.append(frame.head).append(content).append(frame.tail);
    return file;
}

}  // namespace kestrel
