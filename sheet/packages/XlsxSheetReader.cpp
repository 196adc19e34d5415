// The cells of one .xlsx worksheet part, streamed row by row into the sheet.
#include <charconv>
#include <cmath>

#include "sheet/core/CellValueText.h"
#include "sheet/core/SheetBuilder.h"
#include "sheet/packages/XlsxReader.h"
#include "sheet/packages/XmlPartReader.h"

namespace kestrel {

namespace {

using Node = XmlPartReader::Node;

/// What one <c> element holds before it becomes a cell.
struct RawCell {
    int row = 0, col = 0;
    std::string type;   // the t attribute: "n" when absent
    std::string value;  // the text of <v>, or of <is> for an inline string
    bool hasValue = false;
};

class SheetPartReader {
  public:
    SheetPartReader(XmlPartReader& xml, const std::vector<std::string>& strings, Worksheet& sheet)
        : m_xml(xml), m_strings(strings), m_sheet(sheet), m_builder(sheet, xml.fileName()) {}

    void read() {
        for (Node node; (node = m_xml.next()) != Node::End;) {
            if (node != Node::StartElement) continue;
            if (m_xml.name() == "row") {
                startRow();
            } else if (m_xml.name() == "c") {
                readCell();
            }
        }
        m_builder.finish();
    }

  private:
    [[noreturn]] void fail(const std::string& what) {
        m_xml.failInSheet(m_sheet.name(), "has " + what);
    }

    void startRow() {
        ++m_row;
        if (m_xml.attribute("r", m_text)) {
            const auto parsed = parseIndex(m_text);
            if (!parsed) fail("a row number \"" + m_text + "\" that is not a number");
            m_row = *parsed;
        }
        m_builder.checkInside(m_row, 1);
        m_col = 0;
    }

    static std::optional<int> parseIndex(std::string_view text) {
        int value = 0;
        const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
        if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
        return value;
    }

    void readCell() {
        RawCell raw;
        raw.row = m_row;
        raw.col = m_col + 1;
        if (m_xml.attribute("r", m_text)) {
            const auto address = parseCellAddress(m_text);
            if (!address) fail("a cell reference \"" + m_text + "\" that is not a cell address");
            raw.row = address->first;
            raw.col = address->second;
        }
        if (!m_xml.attribute("t", raw.type)) raw.type = "n";
        m_builder.checkInside(raw.row, raw.col);
        m_col = raw.col;
        if (raw.row > m_row) m_row = raw.row;
        if (!m_xml.isEmptyElement()) readCellContent(raw);
        m_builder.add(raw.row, raw.col, toCell(raw));
    }

    void readCellContent(RawCell& raw) {
        const int depth = m_xml.depth();
        bool inValue = false;
        for (;;) {
            const Node node = m_xml.next();
            if (node == Node::End) fail("a cell cut short");
            if (node == Node::EndElement) {
                if (m_xml.depth() == depth) return;
                inValue = false;
            } else if (node == Node::StartElement) {
                inValue = false;
                if (m_xml.name() == "v") {
                    inValue = !m_xml.isEmptyElement();
                    raw.hasValue = true;
                } else if (m_xml.name() == "is") {
                    raw.value = readXlsxRichText(m_xml);
                    raw.hasValue = true;
                } else {
                    m_xml.skipElement();  // <f> and extensions: the cached result is in <v>
                }
            } else if (inValue) {
                raw.value += m_xml.text();
            }
        }
    }

    Cell toCell(const RawCell& raw) {
        // A formula that was never calculated has no <v>: the cell reads as empty.
        if (!raw.hasValue) return Cell{};
        const std::string& t = raw.type;
        if (t == "s") return sharedString(raw);
        if (t == "str" || t == "inlineStr") {
            return raw.value.empty() ? Cell{} : Cell::makeText(raw.value);
        }
        if (t == "b") {
            const std::string v = trimmed(raw.value);
            return Cell::makeBoolean(v == "1" || v == "true");
        }
        if (t == "e") return Cell::makeError(trimmed(raw.value));
        if (t == "d") {
            if (auto serial = isoDateTimeSerial(trimmed(raw.value)))
                return Cell::makeNumber(*serial);
            fail("a date \"" + raw.value + "\" in cell " + cellAddress(raw.row, raw.col) +
                 " that is not an ISO 8601 date");
        }
        const std::string v = trimmed(raw.value);
        if (v.empty()) return Cell{};
        double number = 0;
        const auto [end, ec] = std::from_chars(v.data(), v.data() + v.size(), number);
        if (ec == std::errc::result_out_of_range) return Cell::makeError("#NUM!");
        if (ec != std::errc() || end != v.data() + v.size()) {
            fail("the value \"" + v + "\" in cell " + cellAddress(raw.row, raw.col) +
                 ", which is not a number");
        }
        return std::isfinite(number) ? Cell::makeNumber(number) : Cell::makeError("#NUM!");
    }

    Cell sharedString(const RawCell& raw) {
        const auto index = parseIndex(trimmed(raw.value));
        if (!index || *index < 0 || static_cast<size_t>(*index) >= m_strings.size()) {
            fail("cell " + cellAddress(raw.row, raw.col) + " that refers to shared string " +
                 trimmed(raw.value) + ", but the workbook holds only " +
                 std::to_string(m_strings.size()) + " shared strings");
        }
        const std::string& text = m_strings[static_cast<size_t>(*index)];
        return text.empty() ? Cell{} : Cell::makeText(text);
    }

    XmlPartReader& m_xml;
    const std::vector<std::string>& m_strings;
    Worksheet& m_sheet;
    SheetBuilder m_builder;
    int m_row = 0, m_col = 0;
    std::string m_text;  // reused attribute buffer
};

}  // namespace

void readXlsxSheet(ZipPackage& package, const std::string& partPath,
                   const std::vector<std::string>& sharedStrings, Worksheet& sheet) {
    XmlPartReader xml(package.open(partPath));
    SheetPartReader(xml, sharedStrings, sheet).read();
}

}  // namespace kestrel
