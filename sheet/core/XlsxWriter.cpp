// The .xlsx cell sink: SpreadsheetML parts streamed into a ZIP package. The text of rows that
// hold only numbers is made on the package's worker threads, which also deflate every long part.
// Numbers are written as the shortest text that reads back as the same double (libxlsxwriter
// keeps only 16 significant digits, which changes some values).
#include "sheet/core/XlsxWriter.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <set>
#include <vector>

#include "engine/KestrelError.h"
#include "engine/MessageText.h"
#include "engine/NumberText.h"
#include "sheet/core/CsvWriter.h"
#include "sheet/core/ExcelSheetNames.h"
#include "sheet/core/Workbook.h"
#include "sheet/core/XlsxParts.h"
#include "sheet/core/ZipWriter.h"

namespace kestrel {
namespace {

constexpr size_t kMaxCellTextLength = 32767;
constexpr size_t kFlushBytes = ZipWriter::kChunkBytes;
// Number cells handed to a worker at a time: about a chunk of text.
constexpr size_t kBatchCells = 32768;

class XlsxSink : public CellSink {
  public:
    XlsxSink(const std::string& path, std::string displayPath)
        : m_displayPath(std::move(displayPath)), m_zip(path, m_displayPath) {
        m_buffer.reserve(kFlushBytes + 4096);
    }

    void beginSheet(const std::string& name) override {
        endSheet();
        checkSheetName(name);
        m_sheetNames.push_back(name);
        m_zip.beginPart("xl/worksheets/sheet" + std::to_string(m_sheetNames.size()) + ".xml");
        m_sheetOpen = true;
        m_buffer = xlsx::kWorksheetStart;
        m_row = 0;
    }
    void number(int row, int col, double value) override {
        if (!std::isfinite(value)) return error(row, col, "#NUM!");
        if (m_sheetNames.empty()) fail("a cell comes before any sheet");
        if (row == m_row) {  // a row that holds other cells than numbers: written here
            xlsx::appendNumberCell(m_buffer, m_columns.of(col), m_rowDigits, value);
            flushIfFull();
            return;
        }
        // Rows of numbers alone are kept, and their text is made on the package's workers.
        if (row != m_heldRow) releaseHeldRow();
        m_heldRow = row;
        m_held.push_back({row, col, value});
    }
    void text(int row, int col, std::string_view text) override {
        if (utf16Length(text) > kMaxCellTextLength) {
            fail("cell " + cellAddress(row, col) + " of sheet \"" + m_sheetNames.back() +
                 "\" holds more than 32,767 characters, which .xlsx does not hold in a cell");
        }
        cell(row, col, "inlineStr");
        m_buffer += "<is><t xml:space=\"preserve\">";
        xlsx::appendEscaped(m_buffer, text);
        m_buffer += "</t></is></c>";
        flushIfFull();
    }
    void boolean(int row, int col, bool value) override {
        cell(row, col, "b");
        m_buffer += value ? "<v>1</v></c>" : "<v>0</v></c>";
        flushIfFull();
    }
    void error(int row, int col, std::string_view literal) override {
        cell(row, col, "e");
        m_buffer += "<v>";
        xlsx::appendEscaped(m_buffer, literal);
        m_buffer += "</v></c>";
        flushIfFull();
    }
    void finish() override {
        if (m_sheetNames.empty()) beginSheet("Sheet1");
        endSheet();
        m_zip.addPart("xl/workbook.xml", xlsx::workbookXml(m_sheetNames));
        m_zip.addPart("xl/styles.xml", xlsx::kStylesXml);
        m_zip.addPart("xl/_rels/workbook.xml.rels", xlsx::workbookRelsXml(m_sheetNames.size()));
        m_zip.addPart("_rels/.rels", xlsx::kPackageRelsXml);
        m_zip.addPart("[Content_Types].xml", xlsx::contentTypesXml(m_sheetNames.size()));
        m_zip.finish();
    }

  private:
    // The row being held ends: it joins the rows whose text the workers will make.
    void releaseHeldRow() {
        m_batch.insert(m_batch.end(), m_held.begin(), m_held.end());
        m_held.clear();
        m_heldRow = 0;
        if (m_batch.size() >= kBatchCells) sendBatch();
    }
    // Every row before the one written next goes out: the text so far, then the kept rows.
    void sendBatch() {
        if (m_batch.empty()) return;
        if (m_row != 0) m_buffer += "</row>";
        m_row = 0;
        flush();
        m_zip.writeLater([cells = std::move(m_batch)](std::string& text) {
            xlsx::appendNumberRows(text, cells);
        });
        m_batch = {};
        m_batch.reserve(kBatchCells + 64);
    }

    void checkSheetName(const std::string& name) {
        if (auto problem = excelSheetNameProblem(name)) fail(*problem);
        if (!m_upperNames.insert(upperAscii(name)).second) {
            fail("two sheets are named \"" + name + "\"");
        }
    }

    // Opens the element of a cell, and of its row when the row is new (the row's numbers held
    // so far come first).
    void cell(int row, int col, const char* type) {
        if (m_sheetNames.empty()) fail("a cell comes before any sheet");
        if (row != m_row) {
            std::vector<xlsx::NumberCell> earlier;
            if (row == m_heldRow) {
                earlier.swap(m_held);
                m_heldRow = 0;
            }
            releaseHeldRow();
            sendBatch();
            if (m_row != 0) m_buffer += "</row>";
            char digits[16];
            m_rowDigits = xlsx::appendRowStart(m_buffer, row, digits);
            m_row = row;
            for (const auto& held : earlier) {
                xlsx::appendNumberCell(m_buffer, m_columns.of(held.col), m_rowDigits, held.value);
            }
        }
        // Every cell names its place: the format lets a cell right after its neighbour leave
        // it out, but some readers (gnumeric's) then lose the column.
        m_buffer += "<c r=\"";
        m_buffer += m_columns.of(col);
        m_buffer += m_rowDigits;
        m_buffer += '"';
        if (type) {
            m_buffer += " t=\"";
            m_buffer += type;
            m_buffer += '"';
        }
        m_buffer += '>';
    }
    void flushIfFull() {
        if (m_buffer.size() >= kFlushBytes) flush();
    }
    void flush() { m_zip.write(m_buffer); }
    void endSheet() {
        if (!m_sheetOpen) return;
        releaseHeldRow();
        sendBatch();
        if (m_row != 0) m_buffer += "</row>";
        m_buffer += xlsx::kWorksheetEnd;
        flush();
        m_zip.endPart();
        m_sheetOpen = false;
    }

    [[noreturn]] void fail(const std::string& reason) const {
        throw KestrelError("Cannot write " + m_displayPath + ": " + reason);
    }

    std::string m_displayPath;
    ZipWriter m_zip;
    bool m_sheetOpen = false;
    std::vector<std::string> m_sheetNames;
    std::set<std::string> m_upperNames;
    std::string m_buffer;
    int m_row = 0;
    std::string m_rowDigits;                // the current row's number as text
    int m_heldRow = 0;                      // the row of the numbers held, 0 for none
    std::vector<xlsx::NumberCell> m_held;   // its numbers so far
    std::vector<xlsx::NumberCell> m_batch;  // whole rows of numbers, for the workers
    xlsx::ColumnNames m_columns;
};

}  // namespace

std::unique_ptr<CellSink> openXlsxSink(const std::string& path, const std::string& displayPath) {
    return std::make_unique<XlsxSink>(path, displayPath);
}

}  // namespace kestrel
