// The .xlsx cell sink: SpreadsheetML parts streamed into a ZIP package whose long parts are
// deflated on worker threads. Numbers are written as the shortest text that reads back as the
// same double (libxlsxwriter keeps only 16 significant digits, which changes some values).
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
        if (m_sheetNames.empty() || row != m_row) {
            cell(row, col, nullptr);
            appendValue(value);
        } else {
            // The commonest element by far: laid out whole, then appended in one go.
            const std::string& name = columnName(col);
            char element[128];
            char* out = std::copy_n("<c r=\"", 6, element);
            out = std::copy(name.begin(), name.end(), out);
            out = std::copy(m_rowDigits.begin(), m_rowDigits.end(), out);
            out = std::copy_n("\"><v>", 5, out);
            out = std::to_chars(out, element + sizeof element, value).ptr;
            out = std::copy_n("</v></c>", 8, out);
            m_buffer.append(element, out);
        }
        flushIfFull();
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
    // to_chars without a precision: the shortest text that reads back exactly, "." always.
    void appendValue(double value) {
        char digits[32];
        const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
        m_buffer += "<v>";
        m_buffer.append(digits, end);
        m_buffer += "</v></c>";
    }

    void checkSheetName(const std::string& name) {
        if (auto problem = excelSheetNameProblem(name)) fail(*problem);
        if (!m_upperNames.insert(upperAscii(name)).second) {
            fail("two sheets are named \"" + name + "\"");
        }
    }

    // Opens the element of a cell, and of its row when the row is new.
    void cell(int row, int col, const char* type) {
        if (m_sheetNames.empty()) fail("a cell comes before any sheet");
        if (row != m_row) {
            if (m_row != 0) m_buffer += "</row>";
            char digits[16];
            const auto end = std::to_chars(digits, digits + sizeof digits, row).ptr;
            m_buffer += "<row r=\"";
            m_buffer.append(digits, end);
            m_buffer += "\">";
            m_row = row;
            m_rowDigits.assign(digits, end);
        }
        // Every cell names its place: the format lets a cell right after its neighbour leave
        // it out, but some readers (gnumeric's) then lose the column.
        m_buffer += "<c r=\"";
        m_buffer += columnName(col);
        m_buffer += m_rowDigits;
        m_buffer += '"';
        if (type) {
            m_buffer += " t=\"";
            m_buffer += type;
            m_buffer += '"';
        }
        m_buffer += '>';
    }
    const std::string& columnName(int col) {
        const auto index = static_cast<size_t>(col);
        if (m_columnNames.size() <= index) m_columnNames.resize(index + 1);
        if (m_columnNames[index].empty()) m_columnNames[index] = columnLetters(col);
        return m_columnNames[index];
    }
    void flushIfFull() {
        if (m_buffer.size() >= kFlushBytes) flush();
    }
    void flush() { m_zip.write(m_buffer); }
    void endSheet() {
        if (!m_sheetOpen) return;
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
    std::string m_rowDigits;                 // the current row's number as text
    std::vector<std::string> m_columnNames;  // letters of the columns met so far, by number
};

}  // namespace

std::unique_ptr<CellSink> openXlsxSink(const std::string& path, const std::string& displayPath) {
    return std::make_unique<XlsxSink>(path, displayPath);
}

}  // namespace kestrel
