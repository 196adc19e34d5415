// Cell records of a worksheet substream: NUMBER, RK, MULRK, LABEL, RSTRING, LABELSST, BOOLERR,
// FORMULA with its cached result and the STRING record that carries a text result.
#include "sheet/core/BiffSheetReader.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <iterator>

#include "sheet/core/LittleEndian.h"
#include "sheet/core/ReadError.h"

namespace kestrel {

namespace {
constexpr uint16_t kBlank = 0x0201;
constexpr uint16_t kMulBlank = 0x00BE;

bool isBof(uint16_t id) {
    return id == biff::kBof || id == biff::kBofBiff2 || id == biff::kBofBiff3 ||
           id == biff::kBofBiff4;
}
}  // namespace

double decodeRk(uint32_t rk) {
    double value;
    if (rk & 0x02) {
        value = static_cast<double>(static_cast<int32_t>(rk) >> 2);
    } else {
        const uint64_t bits = static_cast<uint64_t>(rk & 0xFFFFFFFCu) << 32;
        std::memcpy(&value, &bits, sizeof value);
    }
    return (rk & 0x01) ? value / 100.0 : value;
}

std::string errorLiteral(uint8_t code) {
    switch (code) {
        case 0x00:
            return "#NULL!";
        case 0x07:
            return "#DIV/0!";
        case 0x0F:
            return "#VALUE!";
        case 0x17:
            return "#REF!";
        case 0x1D:
            return "#NAME?";
        case 0x24:
            return "#NUM!";
        case 0x2A:
            return "#N/A";
        case 0x2B:
            return "#GETTING_DATA";
        default:
            return "#N/A";
    }
}

void BiffSheetReader::read(std::string_view stream, size_t start, size_t end) {
    BiffRecordCursor cursor(stream.substr(0, end), start);
    int depth = 0;
    try {
        while (cursor.next()) {
            const uint16_t id = cursor.record().id;
            if (depth == 0 && id != biff::kBof) damaged("does not start where the workbook says");
            if (isBof(id)) {
                ++depth;  // a chart embedded in the sheet brings its own BOF ... EOF
            } else if (id == biff::kEof) {
                if (--depth == 0) break;
            } else if (depth == 1) {
                onCellRecord(cursor);
            }
        }
    } catch (const BiffStreamCutShort&) {
        damaged("is cut short");
    } catch (const BiffRecordTooShort&) {
        damaged("holds a cell record that is cut short");
    }
    if (depth != 0) damaged("is cut short (its end-of-sheet record is missing)");
    storeRowCells();
    storeLateCells();
}

void BiffSheetReader::onCellRecord(BiffRecordCursor& cursor) {
    const BiffRecord& record = cursor.record();
    const std::string_view data = record.data;
    const char* p = data.data();
    switch (record.id) {
        case biff::kNumber:
            if (data.size() < 14) throw BiffRecordTooShort();
            addNumber(readU16le(p), readU16le(p + 2), readF64le(p + 6));
            break;
        case biff::kRk:
            if (data.size() < 10) throw BiffRecordTooShort();
            addNumber(readU16le(p), readU16le(p + 2), decodeRk(readU32le(p + 6)));
            break;
        case biff::kMulRk:
            readMulRk(data);
            break;
        case biff::kLabel:
        case biff::kRString:
            readLabel(cursor, false);
            break;
        case biff::kLabelSst:
            readLabel(cursor, true);
            break;
        case biff::kBoolErr:
            readBoolErr(data);
            break;
        case biff::kFormula:
            readFormula(data);
            return;  // keeps the wait for its STRING
        case biff::kString:
            readStringResult(cursor);
            break;
        case kBlank:
        case kMulBlank:
            break;
        default:
            return;  // formats, row info, shared formulas ... do not end the wait
    }
    m_formulaAwaitingString.reset();
}

void BiffSheetReader::readMulRk(std::string_view data) {
    if (data.size() < 6) throw BiffRecordTooShort();
    const uint16_t row = readU16le(data.data());
    const uint16_t firstCol = readU16le(data.data() + 2);
    // Six bytes (format index and RK value) per cell between the header and the last column.
    const size_t count = (data.size() - 6) / 6;
    for (size_t i = 0; i < count; ++i) {
        const size_t col = firstCol + i;
        if (col > 0xFFFF) break;
        addNumber(row, static_cast<uint16_t>(col),
                  decodeRk(readU32le(data.data() + 4 + 6 * i + 2)));
    }
}

void BiffSheetReader::readLabel(BiffRecordCursor& cursor, bool sharedString) {
    const std::string_view data = cursor.record().data;
    if (data.size() < 6) throw BiffRecordTooShort();
    const uint16_t row = readU16le(data.data());
    const uint16_t col = readU16le(data.data() + 2);
    if (!sharedString) {
        addText(row, col, readRecordText(cursor, 6));
        return;
    }
    if (data.size() < 10) throw BiffRecordTooShort();
    const uint32_t index = readU32le(data.data() + 6);
    const auto& strings = *m_context.sharedStrings;
    if (index >= strings.size()) {
        damaged("has cell " + cellAddress(row + 1, col + 1) + " that refers to shared string " +
                std::to_string(index) + ", but the workbook holds only " +
                std::to_string(strings.size()) + " shared strings");
    }
    addText(row, col, strings[index]);
}

void BiffSheetReader::readBoolErr(std::string_view data) {
    if (data.size() < 8) throw BiffRecordTooShort();
    const uint16_t row = readU16le(data.data());
    const uint16_t col = readU16le(data.data() + 2);
    const auto value = static_cast<uint8_t>(data[6]);
    addCell(row, col,
            data[7] ? Cell::makeError(errorLiteral(value)) : Cell::makeBoolean(value != 0));
}

void BiffSheetReader::readFormula(std::string_view data) {
    if (data.size() < 14) throw BiffRecordTooShort();
    const uint16_t row = readU16le(data.data());
    const uint16_t col = readU16le(data.data() + 2);
    m_formulaAwaitingString.reset();
    if (readU16le(data.data() + 12) != 0xFFFF) {
        addNumber(row, col, readF64le(data.data() + 6));
        return;
    }
    // A result that is not a number: its kind in the first byte, its value in the third.
    switch (static_cast<uint8_t>(data[6])) {
        case 0:
            m_formulaAwaitingString.emplace(row, col);
            break;
        case 1:
            addCell(row, col, Cell::makeBoolean(data[8] != 0));
            break;
        case 2:
            addCell(row, col, Cell::makeError(errorLiteral(static_cast<uint8_t>(data[8]))));
            break;
        default:
            addCell(row, col, Cell{});
            break;  // 3: an empty text
    }
}

void BiffSheetReader::readStringResult(BiffRecordCursor& cursor) {
    if (!m_formulaAwaitingString) return;
    const auto [row, col] = *m_formulaAwaitingString;
    addText(row, col, readRecordText(cursor, 0));
}

std::string BiffSheetReader::readRecordText(BiffRecordCursor& cursor, size_t skip) {
    BiffPieces in(cursor.withContinues());
    in.skip(skip);
    if (m_context.biff8) return readUnicodeString(in, false);
    return readByteString(in, false, *m_context.decoder);
}

void BiffSheetReader::addCell(uint16_t row, uint16_t col, Cell cell) {
    if (col >= kMaxSheetCols) return;  // beyond what a sheet holds
    if (row > m_lastRow || (row == m_lastRow && col > m_lastCol)) {
        if (row != m_lastRow) storeRowCells();
        if (cell.kind != CellKind::Empty) m_rowCells.emplace_back(col + 1, std::move(cell));
        m_lastRow = row;
        m_lastCol = col;
    } else {
        m_lateCells.push_back(PendingCell{row, col, std::move(cell)});
    }
}

void BiffSheetReader::storeRowCells() {
    if (m_lastRow >= 0) m_sheet.appendRow(m_lastRow + 1, m_rowCells);
}

void BiffSheetReader::addNumber(uint16_t row, uint16_t col, double value) {
    // Excel never stores an infinity or a NaN; one in a file is an error value, not a number.
    addCell(row, col, std::isfinite(value) ? Cell::makeNumber(value) : Cell::makeError("#NUM!"));
}

void BiffSheetReader::addText(uint16_t row, uint16_t col, std::string text) {
    if (text.size() > m_context.textBudget) {
        damaged("holds more text than its file size allows; the file is damaged or crafted");
    }
    m_context.textBudget -= text.size();
    addCell(row, col, text.empty() ? Cell{} : Cell::makeText(std::move(text)));
}

void BiffSheetReader::storeLateCells() {
    // Excel writes rows and columns in ascending order; other writers need not. Rebuild the
    // sheet from all its cells in order, each late cell after the earlier ones for its address,
    // so that the last record for a cell wins, in O(n log n) however the records are ordered.
    if (m_lateCells.empty()) return;
    std::vector<PendingCell> cells;
    cells.reserve(m_sheet.cellCount() + m_lateCells.size());
    m_sheet.forEachCell([&](int row, int col, const Cell& c) {
        cells.push_back(
            PendingCell{static_cast<uint16_t>(row - 1), static_cast<uint16_t>(col - 1), c});
    });
    std::move(m_lateCells.begin(), m_lateCells.end(), std::back_inserter(cells));
    m_lateCells = {};
    std::stable_sort(cells.begin(), cells.end(), [](const PendingCell& a, const PendingCell& b) {
        return a.row != b.row ? a.row < b.row : a.col < b.col;
    });
    Worksheet rebuilt(m_sheet.name());
    for (auto& c : cells) rebuilt.setCell(c.row + 1, c.col + 1, std::move(c.cell));
    m_sheet = std::move(rebuilt);
}

void BiffSheetReader::damaged(const std::string& what) const {
    throw readError(m_context.fileName, "it is damaged: sheet \"" + m_sheet.name() + "\" " + what);
}

}  // namespace kestrel
