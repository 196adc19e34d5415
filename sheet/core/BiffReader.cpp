// The .xls reader: finds the workbook stream, reads the workbook globals (format, code page,
// sheet list, active sheet, shared strings) and then every worksheet's cells.
#include "sheet/core/BiffReader.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <set>

#include "sheet/core/BiffRecords.h"
#include "sheet/core/BiffSheetReader.h"
#include "sheet/core/BiffText.h"
#include "sheet/core/LittleEndian.h"
#include "sheet/core/Ole2Storage.h"
#include "sheet/core/ReadError.h"

namespace kestrel {

namespace {

constexpr int16_t kFileTypeBiff8 = 11;
constexpr int16_t kFileTypeBiff5 = 4;
constexpr uint16_t kBofWorkbookGlobals = 0x0005;
constexpr uintmax_t kLargestFile = uintmax_t{1} << 30;
constexpr size_t kTextAllowanceBase = size_t{16} << 20;
constexpr size_t kTextAllowancePerByte = 32;

struct SheetEntry {
    uint32_t offset = 0;
    uint8_t type = 0;  // 0 worksheet, 1 macro sheet, 2 chart, 6 VB module
    std::string name;  // UTF-8 (Excel 97) or raw code-page bytes (Excel 5/95) until decoded
};

struct Globals {
    bool biff8 = true;
    uint16_t codepage = 1252;
    bool haveWindow1 = false;
    uint16_t activeTab = 0;
    std::vector<SheetEntry> sheets;
    std::vector<std::string> sharedStrings;
};

/// Excel 97 or Excel 5/95, from the BOF record's version; the stream name decides for the few
/// writers that leave the version out.
bool isBiff8(std::string_view bof, const std::string& streamName) {
    const uint16_t version = bof.size() >= 2 ? readU16le(bof.data()) : 0;
    if (version == 0x0600) return true;
    if (version == 0x0500) return false;
    return streamName.size() != 4;  // "Book" in any case is Excel 5/95
}

void checkFirstBof(const BiffRecordCursor& cursor, bool found, const std::string& file) {
    if (!found) throw readError(file, "its workbook stream is empty");
    const BiffRecord& r = cursor.record();
    if (r.id == biff::kBofBiff2 || r.id == biff::kBofBiff3 || r.id == biff::kBofBiff4) {
        throw readError(file,
                        "it is an Excel 2.x-4.0 workbook; save it as Excel 97-2003 "
                        "Workbook (.xls) and open that");
    }
    if (r.id != biff::kBof || r.data.size() < 4) {
        throw readError(file,
                        "it is damaged: its workbook stream does not start with a "
                        "beginning-of-file record");
    }
    if (readU16le(r.data.data() + 2) != kBofWorkbookGlobals) {
        throw readError(file,
                        "it is not a workbook but a single sheet or chart from an Excel "
                        "version this program does not read; save it as Excel 97-2003 "
                        "Workbook (.xls)");
    }
}

SheetEntry readBoundSheet(std::string_view data, bool biff8) {
    if (data.size() < 7) throw BiffRecordTooShort();
    SheetEntry entry;
    entry.offset = readU32le(data.data());
    entry.type = static_cast<uint8_t>(data[5]);
    BiffPieces name(data.substr(6));
    if (biff8) {
        entry.name = readUnicodeString(name, true);
    } else {
        const size_t count = name.u8();
        entry.name = std::string(name.take(std::min(count, name.availableInPiece())));
    }
    return entry;
}

void readSharedStrings(BiffRecordCursor& cursor, std::vector<std::string>& strings) {
    BiffPieces in(cursor.withContinues());
    strings.clear();
    try {
        in.u32();  // total references: not needed
        const uint32_t declared = in.u32();
        // The declared count is often wrong in both directions: read what is there.
        strings.reserve(std::min<size_t>(declared, cursor.record().data.size() / 3 + 1));
        while (!in.atEnd()) strings.push_back(readUnicodeString(in, false));
    } catch (const BiffRecordTooShort&) {
        // A string cut off by the end of the table: keep the complete ones.
    }
}

void onGlobalsRecord(BiffRecordCursor& cursor, Globals& g, const std::string& file) {
    const BiffRecord& r = cursor.record();
    switch (r.id) {
        case biff::kFilePass:
            throw readError(file,
                            "it is protected with a password; open it in Excel, remove "
                            "the password and save it again");
        case biff::kCodePage:
            if (r.data.size() >= 2) g.codepage = readU16le(r.data.data());
            break;
        case biff::kWindow1:
            if (!g.haveWindow1 && r.data.size() >= 12) {
                g.haveWindow1 = true;
                g.activeTab = readU16le(r.data.data() + 10);
            }
            break;
        case biff::kBoundSheet:
            g.sheets.push_back(readBoundSheet(r.data, g.biff8));
            break;
        case biff::kSst:
            if (g.biff8) readSharedStrings(cursor, g.sharedStrings);
            break;
        default:
            break;
    }
}

Globals readGlobals(std::string_view stream, const std::string& streamName,
                    const std::string& file) {
    Globals g;
    BiffRecordCursor cursor(stream, 0);
    try {
        checkFirstBof(cursor, cursor.next(), file);
        g.biff8 = isBiff8(cursor.record().data, streamName);
        while (cursor.next()) {
            if (cursor.record().id == biff::kEof) return g;
            onGlobalsRecord(cursor, g, file);
        }
    } catch (const BiffStreamCutShort&) {
    } catch (const BiffRecordTooShort&) {
        throw readError(file, "it is damaged: a record of its workbook part is cut short");
    }
    throw readError(file, "it is damaged: its workbook stream is cut short");
}

/// Where a sheet's substream must end at the latest: the next sheet's start, or the stream end.
/// `starts` holds every sheet's offset, sorted.
size_t substreamEnd(const std::vector<uint32_t>& starts, uint32_t offset, size_t streamSize) {
    const auto next = std::upper_bound(starts.begin(), starts.end(), offset);
    return next == starts.end() ? streamSize : std::min<size_t>(*next, streamSize);
}

void checkSheetOffsets(const Globals& g, size_t streamSize, const std::string& file) {
    std::set<uint32_t> seen;
    for (const auto& s : g.sheets) {
        if (s.type != 0) continue;
        if (s.offset >= streamSize || !seen.insert(s.offset).second) {
            throw readError(file, "it is damaged: sheet \"" + s.name +
                                      "\" does not start where the workbook says");
        }
    }
}

Workbook readSheets(const WorkbookStream& ws, Globals& g, const std::string& file) {
    const CodepageDecoder decoder(g.biff8 ? 1252 : g.codepage);
    for (auto& s : g.sheets) {
        if (!g.biff8) s.name = decoder.toUtf8(s.name);
    }
    checkSheetOffsets(g, ws.bytes.size(), file);
    BiffBookContext context{file, g.biff8, &decoder, &g.sharedStrings,
                            kTextAllowanceBase + kTextAllowancePerByte * ws.bytes.size()};
    std::vector<uint32_t> starts;
    for (const auto& s : g.sheets) starts.push_back(s.offset);
    std::sort(starts.begin(), starts.end());
    Workbook book;
    for (size_t i = 0; i < g.sheets.size(); ++i) {
        const SheetEntry& s = g.sheets[i];
        if (s.type != 0) continue;
        if (g.haveWindow1 && g.activeTab == i)
            book.activeSheet = static_cast<int>(book.sheets.size()) + 1;
        book.sheets.emplace_back(s.name.empty() ? "Sheet" + std::to_string(book.sheets.size() + 1)
                                                : s.name);
        BiffSheetReader(context, book.sheets.back())
            .read(ws.bytes, s.offset, substreamEnd(starts, s.offset, ws.bytes.size()));
    }
    if (book.sheets.empty()) throw readError(file, "it holds no worksheet");
    return book;
}

std::string readWholeFile(const std::string& path) {
    std::error_code ec;
    const std::filesystem::file_status status = std::filesystem::status(path, ec);
    if (!std::filesystem::exists(status)) throw readError(path, "the file does not exist");
    if (std::filesystem::is_directory(status)) throw readError(path, "it is a folder, not a file");
    std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path.c_str(), "rb"), &std::fclose);
    if (!file) {
        throw readError(path, std::string("it cannot be opened (") + std::strerror(errno) + ")");
    }
    const uintmax_t expected = std::filesystem::file_size(path, ec);
    if (!ec && expected > kLargestFile) {
        throw readError(path, "it is too large to be an Excel 97-2003 workbook");
    }
    std::string bytes;
    if (!ec) bytes.reserve(static_cast<size_t>(expected));
    char buffer[1 << 16];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file.get())) > 0) {
        if (bytes.size() + got > kLargestFile) {
            throw readError(path, "it is too large to be an Excel 97-2003 workbook");
        }
        bytes.append(buffer, got);
    }
    if (std::ferror(file.get())) {
        throw readError(path, std::string("it cannot be read (") + std::strerror(errno) + ")");
    }
    return bytes;
}

}  // namespace

Workbook readWorkbookBytes(std::string_view bytes, const std::string& displayName,
                           int16_t& fileType) {
    const WorkbookStream ws = readWorkbookStream(bytes, displayName);
    Globals globals = readGlobals(ws.bytes, ws.streamName, displayName);
    Workbook book = readSheets(ws, globals, displayName);
    fileType = globals.biff8 ? kFileTypeBiff8 : kFileTypeBiff5;
    return book;
}

Workbook readWorkbookFile(const std::string& path, int16_t& fileType) {
    return readWorkbookBytes(readWholeFile(path), path, fileType);
}

}  // namespace kestrel
