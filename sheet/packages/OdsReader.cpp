// The tables of an OpenDocument spreadsheet, streamed from content.xml row by row, and the
// active table from settings.xml.
#include "sheet/packages/OdsReader.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <utility>
#include <vector>

#include "sheet/core/CellValueText.h"
#include "sheet/core/ReadError.h"
#include "sheet/core/SheetBuilder.h"
#include "sheet/packages/XmlPartReader.h"

namespace kestrel {

namespace {

using Node = XmlPartReader::Node;

constexpr const char* kTableNs = "urn:oasis:names:tc:opendocument:xmlns:table:1.0";
constexpr const char* kOfficeNs = "urn:oasis:names:tc:opendocument:xmlns:office:1.0";
constexpr const char* kTextNs = "urn:oasis:names:tc:opendocument:xmlns:text:1.0";
constexpr const char* kConfigNs = "urn:oasis:names:tc:opendocument:xmlns:config:1.0";
constexpr const char* kCalcExtNs =
    "urn:org:documentfoundation:names:experimental:calc:xmlns:calcext:1.0";
constexpr const char* kGnumericNs = "http://www.gnumeric.org/odf-extension/1.0";

// Cells written once but repeated by table:number-*-repeated: honest files repeat empty cells
// and the odd run of equal values, never millions of filled cells.
constexpr size_t kRepeatedCellBudget = size_t{1} << 20;
// The longest text a spreadsheet cell holds is 32,767 characters.
constexpr size_t kLongestCellText = 4 * 32767;

class ContentReader {
  public:
    ContentReader(XmlPartReader& xml, Workbook& book) : m_xml(xml), m_book(book) {}

    void read() {
        for (Node node; (node = m_xml.next()) != Node::End;) {
            if (node == Node::StartElement && m_xml.name() == "table") readTable();
        }
    }

  private:
    [[noreturn]] void fail(const std::string& what) {
        m_xml.failInSheet(m_book.sheets.back().name(), "has " + what);
    }

    int repeatCount(const char* attribute) {
        if (!m_xml.attributeNs(attribute, kTableNs, m_text)) return 1;
        int64_t count = 0;
        const auto [end, ec] = std::from_chars(m_text.data(), m_text.data() + m_text.size(), count);
        if (ec != std::errc() || end != m_text.data() + m_text.size() || count < 1) {
            fail("a repeat count \"" + m_text + "\" that is not a positive number");
        }
        return static_cast<int>(std::min<int64_t>(count, int64_t{1} << 30));
    }

    void readTable() {
        std::string name;
        m_xml.attributeNs("name", kTableNs, name);
        m_book.sheets.emplace_back(name.empty() ? "Sheet" + std::to_string(m_book.sheets.size() + 1)
                                                : name);
        SheetBuilder builder(m_book.sheets.back(), m_xml.fileName());
        if (m_xml.isEmptyElement()) return;
        const int depth = m_xml.depth();
        int row = 1;
        for (;;) {
            const Node node = m_xml.next();
            if (node == Node::End) fail("an end cut short");
            if (node == Node::EndElement && m_xml.depth() == depth) break;
            if (node != Node::StartElement) continue;
            if (m_xml.name() == "table-row") {
                const int repeated = repeatCount("number-rows-repeated");
                readRow(builder, row, repeated);
                row += repeated;
            } else if (m_xml.name() == "table-column" || m_xml.name() == "shapes" ||
                       m_xml.name() == "named-expressions") {
                m_xml.skipElement();
            }
        }
        builder.finish();
    }

    void readRow(SheetBuilder& builder, int row, int repeated) {
        m_rowCells.clear();
        if (!m_xml.isEmptyElement()) {
            const int depth = m_xml.depth();
            int col = 1;
            for (;;) {
                const Node node = m_xml.next();
                if (node == Node::End) fail("a row cut short");
                if (node == Node::EndElement && m_xml.depth() == depth) break;
                if (node != Node::StartElement) continue;
                if (m_xml.name() == "table-cell" || m_xml.name() == "covered-table-cell") {
                    const int columns = repeatCount("number-columns-repeated");
                    Cell cell = readCell(row, col);
                    if (cell.kind != CellKind::Empty) addRepeated(std::move(cell), col, columns);
                    col = static_cast<int>(std::min<int64_t>(int64_t{col} + columns, 1 << 30));
                } else {
                    m_xml.skipElement();
                }
            }
        }
        if (m_rowCells.empty()) return;  // an empty row costs nothing, however often repeated
        spend((static_cast<size_t>(repeated) - 1) * m_rowCells.size());
        for (int copy = 0; copy + 1 < repeated; ++copy) {
            for (const auto& [col, cell] : m_rowCells) builder.add(row + copy, col, cell);
        }
        for (auto& [col, cell] : m_rowCells) builder.add(row + repeated - 1, col, std::move(cell));
    }

    void addRepeated(Cell cell, int col, int columns) {
        if (int64_t{col} + columns - 1 > kMaxSheetCols) {
            fail("cells past column " + std::to_string(kMaxSheetCols) + " (" +
                 columnLetters(kMaxSheetCols) + ")");
        }
        spend(static_cast<size_t>(columns) - 1);
        for (int i = 0; i + 1 < columns; ++i) m_rowCells.emplace_back(col + i, cell);
        m_rowCells.emplace_back(col + columns - 1, std::move(cell));
    }

    void spend(size_t copies) {
        if (copies > m_repeatBudget) {
            fail("more repeated cells than a spreadsheet holds (it is damaged or crafted)");
        }
        m_repeatBudget -= copies;
    }

    Cell readCell(int row, int col) {
        std::string type, value;
        const bool hasType = m_xml.attributeNs("value-type", kOfficeNs, type);
        if (m_xml.attributeNs("value-type", kCalcExtNs, value) && value == "error") type = "error";
        if (m_xml.attributeNs("error-value", kGnumericNs, value)) {
            m_xml.skipElement();
            return Cell::makeError(value);
        }
        const bool formula = m_xml.attributeNs("formula", kTableNs, value);
        Cell cell;
        if (type == "float" || type == "percentage" || type == "currency") {
            cell = numberCell("value", row, col);
        } else if (type == "date" || type == "time") {
            cell = dateCell(type == "date", row, col);
        } else if (type == "boolean") {
            m_xml.attributeNs("boolean-value", kOfficeNs, value);
            cell = Cell::makeBoolean(value == "true" || value == "1");
        } else if (hasType || !formula) {
            return textCell(type);
        }
        // The value is in the attributes (a formula without a cached result has none and reads
        // as empty); the paragraphs only show it formatted.
        m_xml.skipElement();
        return cell;
    }

    Cell textCell(const std::string& type) {
        std::string text;
        const bool hasString =
            type == "string" && m_xml.attributeNs("string-value", kOfficeNs, text);
        std::string shown = readParagraphs();
        if (!hasString) text = std::move(shown);
        if (type == "error") return text.empty() ? Cell{} : Cell::makeError(text);
        return text.empty() ? Cell{} : Cell::makeText(std::move(text));
    }

    Cell numberCell(const char* attribute, int row, int col) {
        if (!m_xml.attributeNs(attribute, kOfficeNs, m_text)) return Cell{};
        const std::string v = trimmed(m_text);
        double number = 0;
        const auto [end, ec] = std::from_chars(v.data(), v.data() + v.size(), number);
        if (ec == std::errc::result_out_of_range) return Cell::makeError("#NUM!");
        if (ec != std::errc() || end != v.data() + v.size()) {
            fail("the value \"" + v + "\" in cell " + cellAddress(row, col) +
                 ", which is not a number");
        }
        return std::isfinite(number) ? Cell::makeNumber(number) : Cell::makeError("#NUM!");
    }

    Cell dateCell(bool date, int row, int col) {
        if (!m_xml.attributeNs(date ? "date-value" : "time-value", kOfficeNs, m_text))
            return Cell{};
        const auto serial =
            date ? isoDateTimeSerial(trimmed(m_text)) : isoDurationDays(trimmed(m_text));
        if (!serial) {
            fail(std::string(date ? "a date" : "a time") + " \"" + m_text + "\" in cell " +
                 cellAddress(row, col) + " that is not ISO 8601");
        }
        return Cell::makeNumber(*serial);
    }

    /// The cell's paragraphs, joined by line breaks; comments and drawings left out. The reader
    /// ends on the cell's end tag.
    std::string readParagraphs() {
        std::string text;
        if (m_xml.isEmptyElement()) return text;
        const int depth = m_xml.depth();
        int paragraphs = 0, inParagraph = 0;
        for (;;) {
            const Node node = m_xml.next();
            if (node == Node::End) fail("a cell cut short");
            if (node == Node::EndElement) {
                if (m_xml.depth() == depth) return text;
                if (m_xml.name() == "p" || m_xml.name() == "h") --inParagraph;
            } else if (node == Node::StartElement) {
                const std::string_view name = m_xml.name();
                if (name == "annotation" || name == "frame" || name == "note") {
                    m_xml.skipElement();
                } else if ((name == "p" || name == "h") && inParagraph == 0) {
                    if (paragraphs++ > 0) text += '\n';
                    if (!m_xml.isEmptyElement()) ++inParagraph;
                } else if (name == "s") {
                    int64_t count = 1;
                    if (m_xml.attributeNs("c", kTextNs, m_text)) {
                        std::from_chars(m_text.data(), m_text.data() + m_text.size(), count);
                    }
                    appendText(text, std::string(static_cast<size_t>(std::clamp<int64_t>(
                                                     count, 0, kLongestCellText + 1)),
                                                 ' '));
                } else if (name == "tab") {
                    appendText(text, "\t");
                } else if (name == "line-break") {
                    appendText(text, "\n");
                }
            } else if (inParagraph > 0) {
                appendText(text, m_xml.text());
            }
        }
    }

    void appendText(std::string& text, std::string_view more) {
        if (text.size() + more.size() > kLongestCellText) {
            fail("a cell text longer than a spreadsheet cell holds");
        }
        text += more;
    }

    XmlPartReader& m_xml;
    Workbook& m_book;
    std::vector<std::pair<int, Cell>> m_rowCells;
    size_t m_repeatBudget = kRepeatedCellBudget;
    std::string m_text;  // reused attribute buffer
};

/// The name of the table active when the file was saved, from settings.xml.
std::string activeTableName(ZipPackage& package) {
    std::unique_ptr<ZipPart> part = package.open("settings.xml");
    if (!part) return {};
    XmlPartReader xml(std::move(part));
    std::string name;
    for (Node node; (node = xml.next()) != Node::End;) {
        if (node != Node::StartElement || xml.name() != "config-item") continue;
        if (!xml.attributeNs("name", kConfigNs, name) || name != "ActiveTable") continue;
        std::string value;
        const int depth = xml.depth();
        while ((node = xml.next()) != Node::End) {
            if (node == Node::EndElement && xml.depth() == depth) break;
            if (node == Node::Text) value += xml.text();
        }
        return value;
    }
    return {};
}

}  // namespace

bool isOdsPackage(ZipPackage& package) {
    std::unique_ptr<ZipPart> part = package.open("mimetype");
    if (!part) return false;
    char buffer[128];
    const size_t got = part->read(buffer, sizeof buffer);
    const std::string_view type(buffer, got);
    return type.starts_with("application/vnd.oasis.opendocument.spreadsheet");
}

Workbook readOdsPackage(ZipPackage& package) {
    std::unique_ptr<ZipPart> content = package.open("content.xml");
    if (!content)
        throw readError(package.displayName(), "it is damaged: its part content.xml is missing");
    Workbook book;
    {
        XmlPartReader xml(std::move(content));
        ContentReader(xml, book).read();
    }
    if (book.sheets.empty()) throw readError(package.displayName(), "it holds no table");
    const std::string active = activeTableName(package);
    for (size_t i = 0; i < book.sheets.size(); ++i) {
        if (book.sheets[i].name() == active) {
            book.activeSheet = static_cast<int>(i) + 1;
            break;
        }
    }
    return book;
}

}  // namespace kestrel
