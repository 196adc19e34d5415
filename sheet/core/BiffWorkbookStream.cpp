// Record layout of the BIFF8 (Excel 97) and BIFF5 (Excel 5) workbook streams.
#include "sheet/core/BiffWorkbookStream.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <set>
#include <utility>
#include <vector>

#include "engine/KestrelError.h"
#include "engine/NumberText.h"
#include "sheet/core/BiffRecordWriter.h"
#include "sheet/core/BiffSharedStrings.h"
#include "sheet/core/BiffTextEncoder.h"
#include "sheet/core/ExcelSheetNames.h"

namespace kestrel::biff {
namespace {

constexpr uint16_t kBof = 0x0809;
constexpr uint16_t kEof = 0x000A;
constexpr uint16_t kInterfaceHdr = 0x00E1;
constexpr uint16_t kMms = 0x00C1;
constexpr uint16_t kInterfaceEnd = 0x00E2;
constexpr uint16_t kCodepage = 0x0042;
constexpr uint16_t kWindow1 = 0x003D;
constexpr uint16_t kFont = 0x0031;
constexpr uint16_t kXf = 0x00E0;
constexpr uint16_t kStyle = 0x0293;
constexpr uint16_t kBoundSheet = 0x0085;
constexpr uint16_t kDimensions = 0x0200;
constexpr uint16_t kWindow2 = 0x023E;
constexpr uint16_t kNumber = 0x0203;
constexpr uint16_t kLabel = 0x0204;
constexpr uint16_t kLabelSst = 0x00FD;
constexpr uint16_t kBoolErr = 0x0205;

constexpr uint16_t kBofGlobals = 0x0005;
constexpr uint16_t kBofWorksheet = 0x0010;
constexpr uint16_t kCellXf = 15;  // the one cell XF; 0 to 14 are the standard style XFs
constexpr uint8_t kErrorNum = 0x24;
constexpr size_t kMaxTextBiff8 = 32767;
constexpr size_t kMaxTextBiff5 = 255;

struct Context {
    explicit Context(Format f) : format(f) {
        if (f == Format::Excel5) cp1252.emplace();
    }
    bool biff8() const { return format == Format::Excel97; }
    size_t maxPayload() const { return biff8() ? kMaxPayloadBiff8 : kMaxPayloadBiff5; }

    Format format;
    SharedStringTable sst;                // BIFF8 cell texts
    std::optional<Cp1252Encoder> cp1252;  // BIFF5 texts
};

std::string withThousands(long long n) {
    std::string digits = std::to_string(n);
    for (int i = static_cast<int>(digits.size()) - 3; i > 0; i -= 3) {
        digits.insert(static_cast<size_t>(i), ",");
    }
    return digits;
}

std::string quoted(const std::string& name) {
    return "\"" + name + "\"";
}

// ---------------------------------------------------------------- what the format can hold

void checkExtent(const Worksheet& sheet, Format format) {
    const auto limitText = [&](int limit) {
        return std::string(", and ") + formatName(format) + " holds at most " +
               withThousands(limit);
    };
    if (sheet.lastRow() > maxRows(format)) {
        throw KestrelError("sheet " + quoted(sheet.name()) + " has " +
                           std::to_string(sheet.lastRow()) + " rows" + limitText(maxRows(format)));
    }
    if (sheet.lastCol() > kMaxColumns) {
        throw KestrelError("sheet " + quoted(sheet.name()) + " has " +
                           std::to_string(sheet.lastCol()) + " columns" + limitText(kMaxColumns));
    }
}

// Excel refuses a workbook whose sheet names break these rules, so we do not write one.
void checkSheetNames(const std::vector<Worksheet>& sheets) {
    std::set<std::string> seen;
    for (const Worksheet& sheet : sheets) {
        const std::string& name = sheet.name();
        if (auto problem = excelSheetNameProblem(name)) throw KestrelError(*problem);
        if (!seen.insert(upperAscii(name)).second) {
            throw KestrelError("two sheets are named " + quoted(name));
        }
    }
}

[[noreturn]] void textTooLong(const Worksheet& sheet, int row, int col, size_t length,
                              Format format, size_t limit) {
    throw KestrelError("cell " + cellAddress(row, col) + " of sheet " + quoted(sheet.name()) +
                       " holds " + withThousands(static_cast<long long>(length)) +
                       " characters, and " + formatName(format) + " holds at most " +
                       withThousands(static_cast<long long>(limit)) + " in a cell");
}

// ---------------------------------------------------------------- shared records

void writeBof(RecordWriter& w, Format format, uint16_t kind) {
    w.begin(kBof);
    w.u16(format == Format::Excel97 ? 0x0600 : 0x0500);
    w.u16(kind);
    w.u16(0x0DBB);  // build
    w.u16(0x07CC);  // year
    if (format == Format::Excel97) {
        w.u32(0);     // file history flags
        w.u32(0x06);  // lowest BIFF version that can read all records: BIFF8
    }
    w.end();
}

void writeEof(RecordWriter& w) {
    w.record(kEof, {});
}

// ---------------------------------------------------------------- workbook globals

void writeWindow1(RecordWriter& w, int activeIndex) {
    w.begin(kWindow1);
    w.u16(0);       // left
    w.u16(0);       // top
    w.u16(0x4000);  // width in twips
    w.u16(0x2800);  // height in twips
    w.u16(0x0038);  // horizontal and vertical scroll bars, sheet tabs
    w.u16(static_cast<uint16_t>(activeIndex));
    w.u16(0);       // first tab shown
    w.u16(1);       // tabs selected
    w.u16(0x0258);  // tab bar width, per mille of the window
    w.end();
}

// Five 10-point Arial fonts: Excel numbers fonts 0, 1, 2, 3, 5 (index 4 does not exist) and
// expects at least that many.
void writeFonts(RecordWriter& w, const Context& ctx) {
    for (int i = 0; i < 5; ++i) {
        w.begin(kFont);
        w.u16(200);     // height in twips
        w.u16(0);       // attributes
        w.u16(0x7FFF);  // automatic colour
        w.u16(400);     // normal weight
        w.u16(0);       // no super/subscript
        w.u8(0);        // no underline
        w.u8(0);        // family
        w.u8(0);        // character set
        w.u8(0);
        w.u8(5);
        if (ctx.biff8()) w.u8(0);  // compressed characters
        w.raw("Arial");
        w.end();
    }
}

// The 15 standard style XFs (0 is "Normal") and one cell XF, 15, used by every cell.
void writeXfs(RecordWriter& w, const Context& ctx) {
    for (int i = 0; i < 16; ++i) {
        const bool style = i < 15;
        const uint16_t font = (i == 1 || i == 2) ? 1 : (i == 3 || i == 4) ? 2 : 0;
        const uint8_t usedAttributes = (style && i > 0) ? 0xF4 : 0x00;
        w.begin(kXf);
        w.u16(font);
        w.u16(0);                        // format "General"
        w.u16(style ? 0xFFF5 : 0x0001);  // locked; a style XF has no parent (0xFFF)
        w.u8(0x20);                      // bottom-aligned, general horizontal alignment
        if (ctx.biff8()) {
            w.u8(0);  // rotation
            w.u8(0);  // indent, shrink, reading order
            w.u8(usedAttributes);
            w.u32(0);       // borders
            w.u32(0);       // border colours
            w.u16(0x20C0);  // pattern colours: window text on window background
        } else {
            w.u8(usedAttributes);
            w.u32(0x000020C0);  // pattern colours, no fill, no bottom border
            w.u32(0);           // other borders
        }
        w.end();
    }
}

void writeStyle(RecordWriter& w) {
    w.begin(kStyle);
    w.u16(0x8000);  // built-in style on XF 0
    w.u8(0);        // "Normal"
    w.u8(0xFF);
    w.end();
}

// Returns where the sheet's stream offset goes, to be filled in when it is known.
size_t writeBoundSheet(RecordWriter& w, const std::string& name, Context& ctx) {
    w.begin(kBoundSheet);
    const size_t offsetAt = w.position();
    w.u32(0);
    w.u16(0);  // visible worksheet
    if (ctx.biff8()) {
        const std::u16string units = utf8ToUtf16(name);
        const bool wide =
            std::any_of(units.begin(), units.end(), [](char16_t c) { return c > 0xFF; });
        w.u8(static_cast<uint8_t>(units.size()));
        w.u8(wide ? 1 : 0);
        for (char16_t c : units) {
            if (wide) {
                w.u16(c);
            } else {
                w.u8(static_cast<uint8_t>(c));
            }
        }
    } else {
        const size_t replacedBefore = ctx.cp1252->replacedCount();
        const std::string bytes = ctx.cp1252->encode(name);
        // A name written with "?" in place of a character is another name, and two such names
        // can even collide: refused, not changed.
        if (ctx.cp1252->replacedCount() != replacedBefore) {
            throw KestrelError("the sheet name " + quoted(name) +
                               " holds characters that Excel 5 cannot store (it keeps Western "
                               "European text only); save as Excel 97 or rename the sheet");
        }
        w.u8(static_cast<uint8_t>(bytes.size()));
        w.raw(bytes);
    }
    w.end();
    return offsetAt;
}

// ---------------------------------------------------------------- worksheets

void writeDimensions(RecordWriter& w, const Worksheet& sheet, const Context& ctx) {
    int firstRow = 0, firstCol = 0;
    if (sheet.cellCount() > 0) {
        firstRow = std::numeric_limits<int>::max();
        firstCol = std::numeric_limits<int>::max();
        sheet.forEachCell([&](int row, int col, const Cell&) {
            firstRow = std::min(firstRow, row);
            firstCol = std::min(firstCol, col);
        });
        --firstRow, --firstCol;  // 0-based
    }
    w.begin(kDimensions);
    if (ctx.biff8()) {
        w.u32(static_cast<uint32_t>(firstRow));
        w.u32(static_cast<uint32_t>(sheet.lastRow()));  // one past the last, 0-based
    } else {
        w.u16(static_cast<uint16_t>(firstRow));
        w.u16(static_cast<uint16_t>(sheet.lastRow()));
    }
    w.u16(static_cast<uint16_t>(firstCol));
    w.u16(static_cast<uint16_t>(sheet.lastCol()));
    w.u16(0);
    w.end();
}

void writeWindow2(RecordWriter& w, bool selected, const Context& ctx) {
    // Grid lines, headers, zeros, automatic grid colour, outline symbols; the active sheet's
    // tab is also selected and shown.
    const uint16_t flags = 0x00B6 | (selected ? 0x0600 : 0x0000);
    w.begin(kWindow2);
    w.u16(flags);
    w.u16(0);  // top row shown
    w.u16(0);  // left column shown
    if (ctx.biff8()) {
        w.u16(0x40);  // grid colour index
        w.u16(0);
        w.u16(0);  // page break preview zoom (default)
        w.u16(0);  // normal zoom (default)
        w.u32(0);
    } else {
        w.u32(0);  // grid colour, ignored with the automatic colour
    }
    w.end();
}

void beginCell(RecordWriter& w, uint16_t type, int row, int col) {
    w.begin(type);
    w.u16(static_cast<uint16_t>(row - 1));
    w.u16(static_cast<uint16_t>(col - 1));
    w.u16(kCellXf);
}

void writeBoolErr(RecordWriter& w, int row, int col, uint8_t value, bool isError) {
    beginCell(w, kBoolErr, row, col);
    w.u8(value);
    w.u8(isError ? 1 : 0);
    w.end();
}

std::optional<uint8_t> errorCode(const std::string& literal) {
    static const std::pair<const char*, uint8_t> kCodes[] = {
        {"#NULL!", 0x00}, {"#DIV/0!", 0x07}, {"#VALUE!", 0x0F}, {"#REF!", 0x17},
        {"#NAME?", 0x1D}, {"#NUM!", 0x24},   {"#N/A", 0x2A}};
    for (const auto& [text, code] : kCodes) {
        if (literal == text) return code;
    }
    return std::nullopt;
}

void writeText(RecordWriter& w, const Worksheet& sheet, int row, int col, const std::string& text,
               Context& ctx) {
    if (ctx.biff8()) {
        const std::u16string units = utf8ToUtf16(text);
        if (units.empty()) return;  // an empty text is an empty cell
        if (units.size() > kMaxTextBiff8) {
            textTooLong(sheet, row, col, units.size(), ctx.format, kMaxTextBiff8);
        }
        const uint32_t index = ctx.sst.add(units);
        beginCell(w, kLabelSst, row, col);
        w.u32(index);
        w.end();
        return;
    }
    const std::string bytes = ctx.cp1252->encode(text);
    if (bytes.empty()) return;
    if (bytes.size() > kMaxTextBiff5) {
        textTooLong(sheet, row, col, bytes.size(), ctx.format, kMaxTextBiff5);
    }
    beginCell(w, kLabel, row, col);
    w.u16(static_cast<uint16_t>(bytes.size()));
    w.raw(bytes);
    w.end();
}

void writeCell(RecordWriter& w, const Worksheet& sheet, int row, int col, const Cell& cell,
               Context& ctx) {
    switch (cell.kind) {
        case CellKind::Number:
            // Excel has no infinities or NaNs; it shows them as the error #NUM!.
            if (!std::isfinite(cell.number)) {
                writeBoolErr(w, row, col, kErrorNum, true);
            } else {
                beginCell(w, kNumber, row, col);
                w.f64(cell.number);
                w.end();
            }
            break;
        case CellKind::Text:
            writeText(w, sheet, row, col, cell.text, ctx);
            break;
        case CellKind::Boolean:
            writeBoolErr(w, row, col, cell.number != 0.0 ? 1 : 0, false);
            break;
        case CellKind::Error:
            if (auto code = errorCode(cell.text)) {
                writeBoolErr(w, row, col, *code, true);
            } else {
                writeText(w, sheet, row, col, cell.text, ctx);
            }
            break;
        case CellKind::Empty:
            break;
    }
}

std::string buildSheet(const Worksheet& sheet, bool selected, Context& ctx) {
    RecordWriter w(ctx.maxPayload());
    writeBof(w, ctx.format, kBofWorksheet);
    writeDimensions(w, sheet, ctx);
    sheet.forEachCell(
        [&](int row, int col, const Cell& cell) { writeCell(w, sheet, row, col, cell, ctx); });
    writeWindow2(w, selected, ctx);
    writeEof(w);
    return w.take();
}

std::string assemble(const std::vector<Worksheet>& sheets, int activeIndex, Context& ctx) {
    // Sheets first: their texts fill the shared string table that the globals hold.
    std::vector<std::string> sheetStreams;
    for (size_t i = 0; i < sheets.size(); ++i) {
        sheetStreams.push_back(buildSheet(sheets[i], static_cast<int>(i) == activeIndex, ctx));
    }
    RecordWriter g(ctx.maxPayload());
    writeBof(g, ctx.format, kBofGlobals);
    g.record(kInterfaceHdr, ctx.biff8() ? std::string_view("\xB0\x04", 2) : std::string_view());
    g.record(kMms, std::string_view("\0\0", 2));
    g.record(kInterfaceEnd, {});
    g.begin(kCodepage);
    g.u16(ctx.biff8() ? 1200 : 1252);  // UTF-16 / Windows-1252
    g.end();
    writeWindow1(g, activeIndex);
    writeFonts(g, ctx);
    writeXfs(g, ctx);
    writeStyle(g);
    std::vector<size_t> offsetFields;
    for (const Worksheet& sheet : sheets)
        offsetFields.push_back(writeBoundSheet(g, sheet.name(), ctx));
    if (ctx.biff8()) ctx.sst.write(g);
    writeEof(g);

    size_t offset = g.position();
    for (size_t i = 0; i < sheets.size(); ++i) {
        if (offset > std::numeric_limits<uint32_t>::max()) {
            throw KestrelError("the workbook is too large for an .xls file");
        }
        g.patchU32(offsetFields[i], static_cast<uint32_t>(offset));
        offset += sheetStreams[i].size();
    }
    std::string stream = g.take();
    stream.reserve(offset);
    for (const std::string& s : sheetStreams) stream += s;
    return stream;
}

}  // namespace

const char* formatName(Format format) {
    return format == Format::Excel97 ? "Excel 97" : "Excel 5";
}

const char* streamName(Format format) {
    return format == Format::Excel97 ? "Workbook" : "Book";
}

int maxRows(Format format) {
    return format == Format::Excel97 ? 65536 : 16384;
}

std::string buildWorkbookStream(const Workbook& book, Format format, StreamNotes* notes) {
    std::vector<Worksheet> fallback;
    const std::vector<Worksheet>* sheets = &book.sheets;
    if (book.sheets.empty()) {  // Excel needs at least one sheet
        fallback.emplace_back("Sheet1");
        sheets = &fallback;
    }
    for (const Worksheet& sheet : *sheets) checkExtent(sheet, format);
    checkSheetNames(*sheets);

    Context ctx(format);
    const int count = static_cast<int>(sheets->size());
    const int activeIndex = std::clamp(book.activeSheet, 1, count) - 1;
    std::string stream = assemble(*sheets, activeIndex, ctx);
    if (notes) notes->replacedCharacters = ctx.cp1252 ? ctx.cp1252->replacedCount() : 0;
    return stream;
}

}  // namespace kestrel::biff
