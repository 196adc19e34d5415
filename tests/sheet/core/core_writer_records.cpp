// The record structure of what the writer produces, checked where independent readers are
// lenient but Excel is not: record size limits, CONTINUE splitting of the shared strings,
// the EXTSST index, sheet offsets, dimensions, selected tabs, padding of the stream.
#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "core_writer_support.h"
#include "engine/KestrelError.h"
#include "sheet/core/BiffTextEncoder.h"
#include "sheet/core/BiffWorkbookStream.h"
#include "sheet/core/BiffWriter.h"
#include "sheet/core/Ole2Storage.h"
#include "sheet/core/Ole2Writer.h"
#include "sheet/core/WorkbookWriter.h"

namespace kestrel {
namespace {
using namespace writertest;

constexpr uint16_t kContinue = 0x003C;
constexpr uint16_t kSst = 0x00FC;
constexpr uint16_t kExtSst = 0x00FF;
constexpr uint16_t kBoundSheet = 0x0085;

// Reads the shared strings as Excel does: a string's header lies in one record; when its
// characters run on into a CONTINUE record, that record starts with a fresh option byte.
struct SstReader {
    explicit SstReader(std::vector<Record> records) : segments(std::move(records)) {}

    uint8_t u8() {
        nextSegmentIfAtEnd();
        return static_cast<uint8_t>(segments[seg].payload.at(pos++));
    }
    void nextSegmentIfAtEnd() {
        if (pos == segments[seg].payload.size()) {
            ++seg;
            pos = 0;
            if (seg >= segments.size()) throw std::out_of_range("SST ends early");
        }
    }
    std::u16string readString() {
        nextSegmentIfAtEnd();
        const std::string& p = segments[seg].payload;
        EXPECT_LE(pos + 3, p.size()) << "a string header straddles two records";
        headerOffsets.push_back(segments[seg].offset + 4 + pos);
        headerRecordStarts.push_back(segments[seg].offset);
        const uint16_t length = u16At(p, pos);
        uint8_t options = static_cast<uint8_t>(p[pos + 2]);
        pos += 3;
        EXPECT_EQ(options & ~0x01, 0) << "no rich text or phonetic data is written";
        std::u16string text;
        bool straddled = false;
        while (text.size() < length) {
            if (pos == segments[seg].payload.size()) {
                ++seg, pos = 0;
                options = static_cast<uint8_t>(segments.at(seg).payload.at(pos++));
                straddled = true;
            }
            const bool wide = options & 0x01;
            const std::string& q = segments[seg].payload;
            const size_t fit = (q.size() - pos) / (wide ? 2 : 1);
            EXPECT_GT(fit, 0u) << "a character is cut in half by a record boundary";
            if (fit == 0) throw std::runtime_error("broken split");
            for (size_t k = 0; k < fit && text.size() < length; ++k) {
                text.push_back(wide ? u16At(q, pos) : static_cast<unsigned char>(q[pos]));
                pos += wide ? 2 : 1;
            }
        }
        if (straddled) ++straddling;
        return text;
    }

    std::vector<Record> segments;
    size_t seg = 0, pos = 0;
    int straddling = 0;
    std::vector<size_t> headerOffsets, headerRecordStarts;
};

TEST(WriterRecords, SharedStringsSplitIntoContinueRecordsAsExcelReadsThem) {
    Workbook book;
    book.sheets.emplace_back("Texts");
    book.sheets.emplace_back("More");
    std::vector<std::string> unique;
    auto put = [&](int sheet, int row, int col, const std::string& text) {
        book.sheets[static_cast<size_t>(sheet)].setCell(row, col, Cell::makeText(text));
    };
    for (int i = 0; i < 700; ++i) {
        unique.push_back((i % 3 == 0 ? "Профиль " : "profile ") + std::to_string(i) +
                         std::string(static_cast<size_t>(i % 37), '.'));
        put(0, i + 1, 1, unique.back());
        put(0, i + 1, 2, unique[static_cast<size_t>(i) / 2]);  // repeated texts are shared
    }
    unique.push_back(std::string(9000, 'a'));         // compressed, longer than a record
    unique.push_back(std::string(4000, 'b') + "Ж");   // wide: 8,002 bytes of characters
    unique.push_back("€" + std::string(12000, 'c'));  // wide, spans two CONTINUE records
    for (size_t i = 700; i < unique.size(); ++i) put(1, static_cast<int>(i), 3, unique[i]);

    const std::string stream = biff::buildWorkbookStream(book, biff::Format::Excel97);
    const std::vector<Record> globals = recordsFrom(stream, 0);
    for (const Record& r : globals) ASSERT_LE(r.payload.size(), 8224u) << "record " << r.type;

    size_t first = 0;
    while (first < globals.size() && globals[first].type != kSst) ++first;
    ASSERT_LT(first, globals.size()) << "no SST record";
    size_t last = first + 1;
    while (last < globals.size() && globals[last].type == kContinue) ++last;
    ASSERT_GT(last - first, 3u) << "the strings need several CONTINUE records";

    SstReader sst(
        {globals.begin() + static_cast<long>(first), globals.begin() + static_cast<long>(last)});
    const std::string& head = globals[first].payload;
    EXPECT_EQ(u32At(head, 0), 1400u + 3u) << "total uses";
    ASSERT_EQ(u32At(head, 4), unique.size()) << "unique strings";
    sst.pos = 8;
    for (size_t i = 0; i < unique.size(); ++i) {
        ASSERT_EQ(sst.readString(), biff::utf8ToUtf16(unique[i])) << "string " << i;
    }
    EXPECT_EQ(sst.seg, sst.segments.size() - 1);
    EXPECT_EQ(sst.pos, sst.segments.back().payload.size()) << "bytes after the last string";
    EXPECT_GE(sst.straddling, 4) << "long strings and some short ones run across records";

    // EXTSST: every bucket's first string, by stream offset and offset within its record.
    ASSERT_EQ(globals.at(last).type, kExtSst);
    const std::string& ext = globals[last].payload;
    const size_t perBucket = u16At(ext, 0);
    EXPECT_GE(perBucket, 8u);
    const size_t buckets = (unique.size() + perBucket - 1) / perBucket;
    ASSERT_EQ(ext.size(), 2 + 8 * buckets);
    for (size_t b = 0; b < buckets; ++b) {
        const size_t k = b * perBucket;
        EXPECT_EQ(u32At(ext, 2 + 8 * b), sst.headerOffsets[k]) << "bucket " << b;
        EXPECT_EQ(u16At(ext, 6 + 8 * b), sst.headerOffsets[k] - sst.headerRecordStarts[k])
            << "bucket " << b;
    }
}

struct LayoutCase {
    biff::Format format;
    const char* name;
    uint16_t version;
    uint16_t codepage;
    size_t maxPayload;
};

class WriterLayout : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(WriterLayout, GlobalsSheetOffsetsDimensionsAndSelectedTab) {
    const LayoutCase& c = GetParam();
    const bool biff8 = c.format == biff::Format::Excel97;
    Workbook book;
    book.sheets.emplace_back("One");
    book.sheets.emplace_back("Two");
    book.sheets.emplace_back("Three");
    book.sheets[0].setCell(3, 2, Cell::makeNumber(1));   // B3
    book.sheets[0].setCell(10, 4, Cell::makeText("x"));  // D10
    book.sheets[0].setCell(5, 3, Cell::makeBoolean(true));
    for (int row = 1; row <= 3000; ++row) {  // enough records to need more than one sector
        book.sheets[2].setCell(row, 1, Cell::makeText(std::string(100, 'x')));
    }
    book.activeSheet = 3;

    const std::string stream = biff::buildWorkbookStream(book, c.format);
    const std::vector<Record> globals = recordsFrom(stream, 0);
    ASSERT_EQ(globals.front().type, 0x0809);
    EXPECT_EQ(u16At(globals.front().payload, 0), c.version);
    EXPECT_EQ(u16At(globals.front().payload, 2), 0x0005) << "workbook globals";
    std::map<uint16_t, int> counts;
    std::vector<Record> boundSheets;
    for (const Record& r : globals) {
        ++counts[r.type];
        if (r.type == kBoundSheet) boundSheets.push_back(r);
        if (r.type == 0x0042) {
            EXPECT_EQ(u16At(r.payload, 0), c.codepage);
        }
        if (r.type == 0x003D) {
            EXPECT_EQ(u16At(r.payload, 10), 2) << "active tab in WINDOW1";
        }
    }
    EXPECT_EQ(counts[0x0031], 5) << "fonts 0-3 and 5";
    EXPECT_EQ(counts[0x00E0], 16) << "15 style XFs and the cell XF";
    EXPECT_EQ(counts[0x0293], 1) << "the Normal style";
    EXPECT_EQ(counts[kSst], biff8 ? 1 : 0);
    ASSERT_EQ(boundSheets.size(), 3u);

    const std::vector<std::string> names = {"One", "Two", "Three"};
    size_t expectedOffset = globals.back().offset + 4;  // sheets follow the globals' EOF
    for (size_t i = 0; i < 3; ++i) {
        const std::string& p = boundSheets[i].payload;
        const size_t nameStart = biff8 ? 8 : 7;
        EXPECT_EQ(p.substr(nameStart), names[i]);
        EXPECT_EQ(static_cast<uint8_t>(p[6]), names[i].size());
        const uint32_t offset = u32At(p, 0);
        ASSERT_EQ(offset, expectedOffset) << "sheet " << names[i];
        const std::vector<Record> sheet = recordsFrom(stream, offset);
        ASSERT_EQ(sheet.front().type, 0x0809);
        EXPECT_EQ(u16At(sheet.front().payload, 0), c.version);
        EXPECT_EQ(u16At(sheet.front().payload, 2), 0x0010) << "worksheet";
        bool sawWindow2 = false;
        for (const Record& r : sheet) {
            EXPECT_LE(r.payload.size(), c.maxPayload) << "record " << r.type;
            if (r.type == 0x023E) {
                sawWindow2 = true;
                EXPECT_EQ((u16At(r.payload, 0) & 0x0200) != 0, i == 2) << "selected " << names[i];
            }
            if (r.type == 0x0200 && i == 0) {  // DIMENSIONS: first used, one past last used
                const std::vector<uint32_t> dims =
                    biff8 ? std::vector<uint32_t>{u32At(r.payload, 0), u32At(r.payload, 4),
                                                  u16At(r.payload, 8), u16At(r.payload, 10)}
                          : std::vector<uint32_t>{u16At(r.payload, 0), u16At(r.payload, 2),
                                                  u16At(r.payload, 4), u16At(r.payload, 6)};
                EXPECT_EQ(dims, (std::vector<uint32_t>{2, 10, 1, 4}));
            }
            if (r.type == 0x0200 && i == 1) {
                EXPECT_EQ(r.payload, std::string(biff8 ? 14 : 10, '\0')) << "empty sheet";
            }
        }
        EXPECT_TRUE(sawWindow2);
        expectedOffset = sheet.back().offset + 4;
    }
    EXPECT_EQ(expectedOffset, stream.size()) << "nothing after the last sheet";
}

TEST_P(WriterLayout, FileHoldsTheStreamPaddedToNormalSectors) {
    const LayoutCase& c = GetParam();
    TempDir dir;
    Workbook small;
    small.sheets.emplace_back("Smry");
    small.sheets[0].setCell(1, 1, Cell::makeText("Age"));
    const std::string smallStream = biff::buildWorkbookStream(small, c.format);
    ASSERT_LT(smallStream.size(), 4096u);
    writeWorkbookFile(small, dir.file("small.xls"), c.format == biff::Format::Excel97 ? 11 : 4);
    const std::string stored = compoundStream(dir.file("small.xls"), biff::streamName(c.format));
    ASSERT_EQ(stored.size(), 4096u);
    EXPECT_EQ(stored.substr(0, smallStream.size()), smallStream);
    EXPECT_EQ(stored.find_first_not_of('\0', smallStream.size()), std::string::npos);

    Workbook large = small;
    for (int row = 2; row <= 2000; ++row) large.sheets[0].setCell(row, 1, Cell::makeNumber(row));
    const std::string largeStream = biff::buildWorkbookStream(large, c.format);
    writeWorkbookFile(large, dir.file("large.xls"), c.format == biff::Format::Excel97 ? 11 : 4);
    EXPECT_EQ(compoundStream(dir.file("large.xls"), biff::streamName(c.format)), largeStream);
}

INSTANTIATE_TEST_SUITE_P(
    BothFormats, WriterLayout,
    ::testing::Values(LayoutCase{biff::Format::Excel97, "Excel97", 0x0600, 1200, 8224},
                      LayoutCase{biff::Format::Excel5, "Excel5", 0x0500, 1252, 2080}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(WriterTextEncoding, MalformedUtf8AndCharactersOutsideCp1252AreReplaced) {
    using biff::utf8ToUtf16;
    EXPECT_EQ(utf8ToUtf16("Größe €"), u"Größe €");
    EXPECT_EQ(utf8ToUtf16("😀"), u"\xD83D\xDE00") << "surrogate pair";
    EXPECT_EQ(utf8ToUtf16("a\xC3"), u"a\xFFFD") << "cut off at the end";
    EXPECT_EQ(utf8ToUtf16("\xC0\xAF"), u"\xFFFD\xFFFD") << "overlong";
    EXPECT_EQ(utf8ToUtf16("\xED\xA0\x80"), u"\xFFFD\xFFFD\xFFFD") << "encoded surrogate";
    EXPECT_EQ(utf8ToUtf16("\xF4\x90\x80\x80"), u"\xFFFD\xFFFD\xFFFD\xFFFD") << "above U+10FFFF";
    EXPECT_EQ(utf8ToUtf16("\x80x"), u"\xFFFDx") << "stray continuation byte";

    biff::Cp1252Encoder cp1252;
    EXPECT_EQ(cp1252.encode("€ Ÿ é ‰"), "\x80 \x9F \xE9 \x89");
    EXPECT_EQ(cp1252.replacedCount(), 0u);
    EXPECT_EQ(cp1252.encode("Ω-😀-\xFF-ok"), "?-?-?-ok");
    EXPECT_EQ(cp1252.replacedCount(), 3u);
    EXPECT_EQ(cp1252.encode(""), "");
}

}  // namespace
}  // namespace kestrel

namespace kestrel {
namespace {

// A workbook of every kind of cell, on two sheets, in both formats: written whole and streamed
// cell by cell, the files are the same bytes; so is the refusal of a sheet the format cannot
// hold.
TEST(StreamedXls, CellsSentOneByOneGiveTheWholeWorkbooksBytesAndRefusals) {
    Workbook book;
    book.sheets.emplace_back("Smry");
    book.sheets.emplace_back("Zweite Seite");
    Worksheet& first = book.sheets[0];
    first.setCell(1, 1, Cell::makeText("Age"));
    first.setCell(1, 3, Cell::makeText(std::string(300, 'x')));  // beyond Excel 5's cell text
    first.setCell(2, 2, Cell::makeNumber(0.015594541908933043));
    first.setCell(2, 4, Cell::makeNumber(std::numeric_limits<double>::infinity()));
    first.setCell(3, 1, Cell::makeBoolean(true));
    first.setCell(3, 2, Cell::makeError("#DIV/0!"));
    first.setCell(3, 3, Cell::makeError("#SPILL!"));  // no BIFF code: kept as its text
    first.setCell(700, 9, Cell::makeText("Größe"));
    book.sheets[1].setCell(5, 5, Cell::makeNumber(-3));
    const TempDir dir;
    for (const int16_t fileType : {int16_t{11}, int16_t{4}}) {
        if (fileType == 4) first.setCell(1, 3, Cell::makeText("short"));
        writeWorkbookFile(book, dir.file("whole.xls"), fileType);
        writeStreamedBiffFile(dir.file("streamed.xls"), fileType,
                              [&](CellSink& sink) { sendWorkbookCells(book, sink); });
        EXPECT_EQ(readBytes(dir.file("whole.xls")), readBytes(dir.file("streamed.xls")))
            << fileType;
    }

    first.setCell(16385, 1, Cell::makeNumber(1));
    std::string whole, streamed;
    try {
        writeWorkbookFile(book, dir.file("whole.xls"), 4);
    } catch (const KestrelError& e) {
        whole = e.what();
    }
    try {
        writeStreamedBiffFile(dir.file("streamed.xls"), 4,
                              [&](CellSink& sink) { sendWorkbookCells(book, sink); });
    } catch (const KestrelError& e) {
        streamed = e.what();
    }
    EXPECT_NE(whole.find("has 16385 rows, and Excel 5 holds at most 16,384"), std::string::npos)
        << whole;
    EXPECT_EQ(streamed, std::string(whole).replace(whole.find("whole"), 5, "streamed"));
}

}  // namespace
}  // namespace kestrel

namespace kestrel {
namespace {

// The packer lays the compound file out from the stream's size alone; libgsf's writer, which
// .xls files were packed with before, is the reference, byte for byte: at the mini-stream
// cut-off, at sector edges, where the allocation table outgrows the header's 109 entries, and
// where the extra table needs a second sector. Our reader reads every one back, also one whose
// stream runs into the allocation table's 237th sector (listed by the extra table's second sector).
TEST(CompoundFilePacker, LaysOutEveryStreamSizeAsLibgsfDoesAndReadsItBack) {
    std::vector<size_t> sizes{4096, 4097, 4607, 4608, 4609, 65535, 640000, 15500000};
    for (const size_t sectors : {13841u, 13842u, 13843u, 13844u, 29970u, 29971u}) {
        sizes.push_back(sectors * 512);
        sizes.push_back(sectors * 512 - 100);
    }
    for (const size_t size : sizes) {
        std::string content(size, '\0');
        for (size_t i = 0; i < size; ++i) content[i] = static_cast<char>(i * 7 + i / 512);
        for (const char* name : {"Workbook", "Book"}) {
            const std::string ours = buildCompoundFile(name, content);
            const std::string reference = gsfCompoundFile(name, content);
            ASSERT_EQ(ours.size(), reference.size()) << name << ", " << size << " bytes";
            const auto diff = std::mismatch(ours.begin(), ours.end(), reference.begin());
            ASSERT_TRUE(diff.first == ours.end())
                << name << ", " << size << " bytes: first difference at byte "
                << (diff.first - ours.begin());
            const WorkbookStream back = readWorkbookStream(ours, "packed.xls");
            EXPECT_EQ(back.streamName, name);
            EXPECT_TRUE(back.bytes == content) << name << ", " << size << " bytes read back";
        }
    }
    EXPECT_THROW(compoundFileFrame("Workbook", 4095), std::invalid_argument);
    EXPECT_THROW(compoundFileFrame("", 5000), std::invalid_argument);
    for (const char* name : {"Work/book", "Work\\book", "Work:book", "Work!book", "Work\tbook",
                             "Work\x7F", "W\xC3\xB6rkbook", "A workbook name of 32 characters"}) {
        EXPECT_THROW(compoundFileFrame(name, 5000), std::invalid_argument) << name;
    }
    EXPECT_NO_THROW(compoundFileFrame("~ A workbook of 31 characters ~", 5000));
}

}  // namespace
}  // namespace kestrel
