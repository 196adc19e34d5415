// SpreadsheetML package parts: workbook, relationships, content types, styles.
#include "sheet/core/XlsxParts.h"

#include <algorithm>
#include <charconv>

#include "sheet/core/Workbook.h"

namespace kestrel::xlsx {
namespace {

constexpr std::string_view kXmlHeader =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n";
constexpr std::string_view kRelationshipsNs =
    "http://schemas.openxmlformats.org/package/2006/relationships";
constexpr std::string_view kOfficeRelationships =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships";

bool isHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

// "_x0041_" in the text itself would read back as "A": its "_" is escaped.
bool startsEscapeLookalike(std::string_view text, size_t i) {
    return i + 7 <= text.size() && text[i + 1] == 'x' && isHexDigit(text[i + 2]) &&
           isHexDigit(text[i + 3]) && isHexDigit(text[i + 4]) && isHexDigit(text[i + 5]) &&
           text[i + 6] == '_';
}

}  // namespace

const std::string_view kStylesXml =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
    "<styleSheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
    "<fonts count=\"1\"><font><sz val=\"11\"/><name val=\"Calibri\"/></font></fonts>"
    "<fills count=\"2\"><fill><patternFill patternType=\"none\"/></fill>"
    "<fill><patternFill patternType=\"gray125\"/></fill></fills>"
    "<borders count=\"1\"><border><left/><right/><top/><bottom/><diagonal/></border></borders>"
    "<cellStyleXfs count=\"1\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\"/>"
    "</cellStyleXfs>"
    "<cellXfs count=\"1\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\" "
    "xfId=\"0\"/></cellXfs>"
    "<cellStyles count=\"1\"><cellStyle name=\"Normal\" xfId=\"0\" builtinId=\"0\"/></cellStyles>"
    "</styleSheet>";

const std::string_view kPackageRelsXml =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
    "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
    "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
    "relationships/officeDocument\" Target=\"xl/workbook.xml\"/></Relationships>";

std::string workbookXml(const std::vector<std::string>& sheetNames) {
    std::string xml(kXmlHeader);
    xml +=
        "<workbook xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
        "xmlns:r=\"";
    xml += kOfficeRelationships;
    xml += "\"><bookViews><workbookView activeTab=\"0\"/></bookViews><sheets>";
    for (size_t i = 0; i < sheetNames.size(); ++i) {
        const std::string id = std::to_string(i + 1);
        xml += "<sheet name=\"";
        appendEscaped(xml, sheetNames[i]);
        xml += "\" sheetId=\"" + id + "\" r:id=\"rId" + id + "\"/>";
    }
    xml += "</sheets></workbook>";
    return xml;
}

std::string workbookRelsXml(size_t sheets) {
    std::string xml(kXmlHeader);
    xml += "<Relationships xmlns=\"";
    xml += kRelationshipsNs;
    xml += "\">";
    for (size_t i = 1; i <= sheets; ++i) {
        xml += "<Relationship Id=\"rId" + std::to_string(i) + "\" Type=\"";
        xml += kOfficeRelationships;
        xml += "/worksheet\" Target=\"worksheets/sheet" + std::to_string(i) + ".xml\"/>";
    }
    xml += "<Relationship Id=\"rId" + std::to_string(sheets + 1) + "\" Type=\"";
    xml += kOfficeRelationships;
    xml += "/styles\" Target=\"styles.xml\"/></Relationships>";
    return xml;
}

std::string contentTypesXml(size_t sheets) {
    std::string xml(kXmlHeader);
    xml +=
        "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
        "<Default Extension=\"rels\" "
        "ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
        "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
        "<Override PartName=\"/xl/workbook.xml\" ContentType=\"application/"
        "vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml\"/>"
        "<Override PartName=\"/xl/styles.xml\" ContentType=\"application/"
        "vnd.openxmlformats-officedocument.spreadsheetml.styles+xml\"/>";
    for (size_t i = 1; i <= sheets; ++i) {
        xml += "<Override PartName=\"/xl/worksheets/sheet" + std::to_string(i) +
               ".xml\" ContentType=\"application/"
               "vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml\"/>";
    }
    xml += "</Types>";
    return xml;
}

void appendEscaped(std::string& out, std::string_view text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const auto byte = static_cast<unsigned char>(c);
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            default:
                if ((byte < 0x20 && c != '\t' && c != '\n' && c != '\r') ||
                    (c == '_' && startsEscapeLookalike(text, i))) {
                    out += "_x00";
                    out += kHex[byte >> 4];
                    out += kHex[byte & 0xF];
                    out += '_';
                } else {
                    out += c;
                }
        }
    }
}

void appendNumberCell(std::string& out, std::string_view column, std::string_view rowDigits,
                      double value) {
    // Laid out whole, then appended in one go: the commonest element by far.
    char element[128];
    char* end = std::copy_n("<c r=\"", 6, element);
    end = std::copy(column.begin(), column.end(), end);
    end = std::copy(rowDigits.begin(), rowDigits.end(), end);
    end = std::copy_n("\"><v>", 5, end);
    // to_chars without a precision: the shortest text that reads back exactly, "." always.
    end = std::to_chars(end, element + sizeof element, value).ptr;
    end = std::copy_n("</v></c>", 8, end);
    out.append(element, end);
}

const std::string& ColumnNames::of(int col) {
    const auto index = static_cast<size_t>(col);
    if (m_names.size() <= index) m_names.resize(index + 1);
    if (m_names[index].empty()) m_names[index] = columnLetters(col);
    return m_names[index];
}

std::string_view appendRowStart(std::string& out, int row, char (&digits)[16]) {
    const std::string_view text(digits, std::to_chars(digits, digits + sizeof digits, row).ptr);
    out += "<row r=\"";
    out += text;
    out += "\">";
    return text;
}

void appendNumberRows(std::string& out, const std::vector<NumberCell>& cells) {
    ColumnNames columns;
    char digits[16];
    std::string_view rowDigits;
    int row = 0;
    for (const NumberCell& cell : cells) {
        if (cell.row != row) {
            if (row != 0) out += "</row>";
            row = cell.row;
            rowDigits = appendRowStart(out, row, digits);
        }
        appendNumberCell(out, columns.of(cell.col), rowDigits, cell.value);
    }
    if (row != 0) out += "</row>";
}

}  // namespace kestrel::xlsx
