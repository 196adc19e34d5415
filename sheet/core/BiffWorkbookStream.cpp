// Record layout of the BIFF8 (Excel 97) and BIFF5 (Excel 5) workbook streams.
#include "sheet/core/BiffWorkbookStream.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>
#include <optional>
#include <set>
#include <stdexcept>
#include <string_view>
#include <utility>
#include <vector>

#include "engine/KestrelError.h"
#include "engine/NumberText.h"
#include "sheet/core/BiffRecordWriter.h"
#include "sheet/core/BiffSharedStrings.h"
#include "sheet/core/BiffTextEncoder.h"
#include "sheet/core/ExcelSheetNames.h"
#include "sheet/core/LittleEndian.h"
#include "sheet/core/WorkbookWriter.h"

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

void checkExtent(const std::string& name, int lastRow, int lastCol, Format format) {
    const auto limitText = [&](int limit) {
        return std::string(", and ") + formatName(format) + " holds at most " +
               withThousands(limit);
    };
    if (lastRow > maxRows(format)) {
        throw KestrelError("sheet " + quoted(name) + " has " + std::to_string(lastRow) + " rows" +
                           limitText(maxRows(format)));
    }
    if (lastCol > kMaxColumns) {
        throw KestrelError("sheet " + quoted(name) + " has " + std::to_string(lastCol) +
                           " columns" + limitText(kMaxColumns));
    }
}

// Excel refuses a workbook whose sheet names break these rules, so we do not write one.
void checkSheetNames(const std::vector<std::string>& names) {
    std::set<std::string> seen;
    for (const std::string& name : names) {
        if (auto problem = excelSheetNameProblem(name)) throw KestrelError(*problem);
        if (!seen.insert(upperAscii(name)).second) {
            throw KestrelError("two sheets are named " + quoted(name));
        }
    }
}

[[noreturn]] void textTooLong(const std::string& sheetName, int row, int col, size_t length,
                              Format format, size_t limit) {
    throw KestrelError("cell " + cellAddress(row, col) + " of sheet " + quoted(sheetName) +
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

std::optional<uint8_t> errorCode(std::string_view literal) {
    static const std::pair<const char*, uint8_t> kCodes[] = {
        {"#NULL!", 0x00}, {"#DIV/0!", 0x07}, {"#VALUE!", 0x0F}, {"#REF!", 0x17},
        {"#NAME?", 0x1D}, {"#NUM!", 0x24},   {"#N/A", 0x2A}};
    for (const auto& [text, code] : kCodes) {
        if (literal == text) return code;
    }
    return std::nullopt;
}

// One sheet's substream, written as its cells arrive: BOF, DIMENSIONS (filled in at the end),
// the cell records, then WINDOW2 and EOF once it is known whether the sheet is the active one.
// A NUMBER record, header included: the record most sheets are made of.
constexpr size_t kNumberRecordSize = 18;

class SheetStream {
  public:
    SheetStream(std::string name, Context& ctx)
        : m_name(std::move(name)), m_ctx(ctx), m_w(ctx.maxPayload()) {
        writeBof(m_w, ctx.format, kBofWorksheet);
        m_w.begin(kDimensions);
        m_dimensionsAt = m_w.position();
        m_w.raw(std::string(ctx.biff8() ? 14 : 10, '\0'));
        m_w.end();
    }
    const std::string& name() const { return m_name; }

    void number(int row, int col, double value) {
        if (!take(row, col)) return;
        // Excel has no infinities or NaNs; it shows them as the error #NUM!.
        if (!std::isfinite(value)) return boolErr(row, col, kErrorNum, true);
        // The commonest record by far, laid out in one go, header and all.
        char record[kNumberRecordSize];
        putLittleEndian(record, kNumber);
        putLittleEndian(record + 2, uint16_t{kNumberRecordSize - 4});
        putLittleEndian(record + 4, static_cast<uint16_t>(row - 1));
        putLittleEndian(record + 6, static_cast<uint16_t>(col - 1));
        putLittleEndian(record + 8, kCellXf);
        putLittleEndian(record + 10, std::bit_cast<uint64_t>(value));
        m_w.wholeRecord(std::string_view(record, sizeof record));
    }
    void text(int row, int col, std::string_view text) {
        if (take(row, col)) writeText(row, col, text);
    }
    void boolean(int row, int col, bool value) {
        if (take(row, col)) boolErr(row, col, value ? 1 : 0, false);
    }
    void error(int row, int col, std::string_view literal) {
        if (!take(row, col)) return;
        if (auto code = errorCode(literal)) return boolErr(row, col, *code, true);
        writeText(row, col, literal);
    }

    // Room for `cells` NUMBER records past what is written so far; a sheet holds at most the
    // format's rows and columns, however many are announced.
    void reserve(size_t cells) {
        const size_t most = static_cast<size_t>(m_maxRows) * kMaxColumns;
        m_w.reserve(m_w.position() + std::min(cells, most) * kNumberRecordSize + 4096);
    }
    /// Throws when the sheet holds more rows or columns than the format does.
    void checkExtent() const { biff::checkExtent(m_name, m_lastRow, m_lastCol, m_ctx.format); }
    std::string finish(bool selected) {
        patchDimensions();
        writeWindow2(m_w, selected, m_ctx);
        writeEof(m_w);
        return m_w.take();
    }

  private:
    // Records the cell in the sheet's extent; false for a cell the format cannot address (the
    // sheet is then refused by checkExtent before anything is written).
    bool take(int row, int col) {
        m_firstRow = std::min(m_firstRow, row);
        m_firstCol = std::min(m_firstCol, col);
        m_lastRow = std::max(m_lastRow, row);
        m_lastCol = std::max(m_lastCol, col);
        return row <= m_maxRows && col <= kMaxColumns;
    }
    void beginCell(uint16_t type, int row, int col) {
        m_w.begin(type);
        m_w.u16(static_cast<uint16_t>(row - 1));
        m_w.u16(static_cast<uint16_t>(col - 1));
        m_w.u16(kCellXf);
    }
    void boolErr(int row, int col, uint8_t value, bool isError) {
        beginCell(kBoolErr, row, col);
        m_w.u8(value);
        m_w.u8(isError ? 1 : 0);
        m_w.end();
    }
    void writeText(int row, int col, std::string_view text);
    void patchDimensions();

    std::string m_name;
    Context& m_ctx;
    RecordWriter m_w;
    size_t m_dimensionsAt = 0;
    int m_firstRow = std::numeric_limits<int>::max();
    int m_firstCol = std::numeric_limits<int>::max();
    int m_lastRow = 0;
    int m_lastCol = 0;
    const int m_maxRows = maxRows(m_ctx.format);
};

void SheetStream::writeText(int row, int col, std::string_view text) {
    if (m_ctx.biff8()) {
        const std::u16string units = utf8ToUtf16(std::string(text));
        if (units.empty()) return;  // an empty text is an empty cell
        if (units.size() > kMaxTextBiff8) {
            textTooLong(m_name, row, col, units.size(), m_ctx.format, kMaxTextBiff8);
        }
        const uint32_t index = m_ctx.sst.add(units);
        beginCell(kLabelSst, row, col);
        m_w.u32(index);
        m_w.end();
        return;
    }
    const std::string bytes = m_ctx.cp1252->encode(std::string(text));
    if (bytes.empty()) return;
    if (bytes.size() > kMaxTextBiff5) {
        textTooLong(m_name, row, col, bytes.size(), m_ctx.format, kMaxTextBiff5);
    }
    beginCell(kLabel, row, col);
    m_w.u16(static_cast<uint16_t>(bytes.size()));
    m_w.raw(bytes);
    m_w.end();
}

void SheetStream::patchDimensions() {
    // 0-based first row and column; the last row is one past the last (0-based), the last
    // column is the last itself (1-based as Excel writes it). An empty sheet is all zeros.
    const bool empty = m_lastRow == 0;
    const int firstRow = empty ? 0 : m_firstRow - 1;
    const int firstCol = empty ? 0 : m_firstCol - 1;
    size_t at = m_dimensionsAt;
    if (m_ctx.biff8()) {
        m_w.patchU32(at, static_cast<uint32_t>(firstRow));
        m_w.patchU32(at + 4, static_cast<uint32_t>(m_lastRow));
        at += 8;
    } else {
        m_w.patchU16(at, static_cast<uint16_t>(firstRow));
        m_w.patchU16(at + 2, static_cast<uint16_t>(m_lastRow));
        at += 4;
    }
    m_w.patchU16(at, static_cast<uint16_t>(firstCol));
    m_w.patchU16(at + 2, static_cast<uint16_t>(m_lastCol));
}

// The globals, then each sheet's substream: the pieces of the stream, in order.
std::vector<std::string> assemble(std::vector<std::unique_ptr<SheetStream>>& sheets,
                                  int activeIndex, Context& ctx) {
    // Sheets first: their texts have filled the shared string table that the globals hold.
    std::vector<std::string> pieces(1);
    for (size_t i = 0; i < sheets.size(); ++i) {
        pieces.push_back(sheets[i]->finish(static_cast<int>(i) == activeIndex));
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
    for (const auto& sheet : sheets) offsetFields.push_back(writeBoundSheet(g, sheet->name(), ctx));
    if (ctx.biff8()) ctx.sst.write(g);
    writeEof(g);

    size_t offset = g.position();
    for (size_t i = 0; i < sheets.size(); ++i) {
        if (offset > std::numeric_limits<uint32_t>::max()) {
            throw KestrelError("the workbook is too large for an .xls file");
        }
        g.patchU32(offsetFields[i], static_cast<uint32_t>(offset));
        offset += pieces[i + 1].size();
    }
    pieces[0] = g.take();
    return pieces;
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

struct WorkbookStreamBuilder::State {
    explicit State(Format format) : ctx(format) {}
    Context ctx;
    std::vector<std::unique_ptr<SheetStream>> sheets;
    SheetStream& current() {
        if (sheets.empty()) throw std::logic_error("a cell sent before its sheet");
        return *sheets.back();
    }
};

WorkbookStreamBuilder::WorkbookStreamBuilder(Format format)
    : m_state(std::make_unique<State>(format)) {}
WorkbookStreamBuilder::~WorkbookStreamBuilder() = default;

void WorkbookStreamBuilder::beginSheet(const std::string& name) {
    m_state->sheets.push_back(std::make_unique<SheetStream>(name, m_state->ctx));
}
void WorkbookStreamBuilder::expectCells(size_t cells) {
    if (!m_state->sheets.empty()) m_state->current().reserve(cells);
}
void WorkbookStreamBuilder::number(int row, int col, double value) {
    m_state->current().number(row, col, value);
}
void WorkbookStreamBuilder::text(int row, int col, std::string_view text) {
    m_state->current().text(row, col, text);
}
void WorkbookStreamBuilder::boolean(int row, int col, bool value) {
    m_state->current().boolean(row, col, value);
}
void WorkbookStreamBuilder::error(int row, int col, std::string_view literal) {
    m_state->current().error(row, col, literal);
}
void WorkbookStreamBuilder::finish() {}

std::string WorkbookStreamBuilder::take(int activeSheet, StreamNotes* notes) {
    std::vector<std::string> pieces = takePieces(activeSheet, notes);
    size_t size = 0;
    for (const std::string& piece : pieces) size += piece.size();
    std::string stream = std::move(pieces[0]);
    stream.reserve(size);
    for (size_t i = 1; i < pieces.size(); ++i) stream += pieces[i];
    return stream;
}

std::vector<std::string> WorkbookStreamBuilder::takePieces(int activeSheet, StreamNotes* notes) {
    auto& sheets = m_state->sheets;
    if (sheets.empty()) beginSheet("Sheet1");  // Excel needs at least one sheet
    std::vector<std::string> names;
    for (const auto& sheet : sheets) {
        sheet->checkExtent();
        names.push_back(sheet->name());
    }
    checkSheetNames(names);
    const int count = static_cast<int>(sheets.size());
    const int activeIndex = std::clamp(activeSheet, 1, count) - 1;
    std::vector<std::string> pieces = assemble(sheets, activeIndex, m_state->ctx);
    const auto& cp1252 = m_state->ctx.cp1252;
    if (notes) notes->replacedCharacters = cp1252 ? cp1252->replacedCount() : 0;
    return pieces;
}

std::string buildWorkbookStream(const Workbook& book, Format format, StreamNotes* notes) {
    std::string stream;
    for (const std::string& piece : buildWorkbookStreamPieces(book, format, notes)) stream += piece;
    return stream;
}

std::vector<std::string> buildWorkbookStreamPieces(const Workbook& book, Format format,
                                                   StreamNotes* notes) {
    // Every sheet's extent and name is checked before any cell is written.
    std::vector<std::string> names;
    for (const Worksheet& sheet : book.sheets) {
        checkExtent(sheet.name(), sheet.lastRow(), sheet.lastCol(), format);
        names.push_back(sheet.name());
    }
    checkSheetNames(names);
    WorkbookStreamBuilder builder(format);
    sendWorkbookCells(book, builder);
    return builder.takePieces(book.activeSheet, notes);
}

}  // namespace kestrel::biff
