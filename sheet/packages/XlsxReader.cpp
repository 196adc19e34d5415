// The workbook level of an .xlsx package: relationships, sheets and their order, the active
// tab and the shared string table.
#include "sheet/packages/XlsxReader.h"

#include <charconv>
#include <map>

#include "engine/NumberText.h"
#include "sheet/core/ReadError.h"
#include "sheet/packages/XmlPartReader.h"

namespace kestrel {

namespace {

using Node = XmlPartReader::Node;

struct Relationship {
    std::string type;  // the last segment of the type URI: "worksheet", "sharedStrings", ...
    std::string target;
};

std::string lastSegment(const std::string& uri) {
    const size_t slash = uri.rfind('/');
    return slash == std::string::npos ? uri : uri.substr(slash + 1);
}

/// The relationships of `part` (from its "_rels/<name>.rels"), by id, targets resolved.
std::map<std::string, Relationship> readRelationships(ZipPackage& package,
                                                      const std::string& part) {
    const size_t slash = part.rfind('/');
    const std::string folder = slash == std::string::npos ? "" : part.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? part : part.substr(slash + 1);
    std::map<std::string, Relationship> relationships;
    std::unique_ptr<ZipPart> stream = package.open(folder + "_rels/" + name + ".rels");
    if (!stream) return relationships;
    XmlPartReader xml(std::move(stream));
    std::string id, type, target, mode;
    for (Node node; (node = xml.next()) != Node::End;) {
        if (node != Node::StartElement || xml.name() != "Relationship") continue;
        if (!xml.attribute("Id", id) || !xml.attribute("Target", target)) continue;
        if (xml.attribute("TargetMode", mode) && mode == "External") continue;
        xml.attribute("Type", type);
        if (auto resolved = resolvePartPath(part, target)) {
            relationships[id] = Relationship{lastSegment(type), *resolved};
        }
    }
    return relationships;
}

std::string officeDocumentPath(ZipPackage& package) {
    for (const auto& [id, rel] : readRelationships(package, "")) {
        if (rel.type == "officeDocument") return rel.target;
    }
    return "xl/workbook.xml";
}

struct SheetEntry {
    std::string name;
    std::string relationshipId;
};

struct WorkbookPart {
    std::vector<SheetEntry> sheets;
    int activeTab = 0;  // 0-based among every kind of sheet
};

WorkbookPart readWorkbookPart(ZipPackage& package, const std::string& path) {
    XmlPartReader xml(package.open(path));
    WorkbookPart book;
    bool firstView = true;
    std::string value;
    for (Node node; (node = xml.next()) != Node::End;) {
        if (node != Node::StartElement) continue;
        if (xml.name() == "sheet") {
            SheetEntry entry;
            xml.attribute("name", entry.name);
            xml.attribute("id", entry.relationshipId, true);
            book.sheets.push_back(std::move(entry));
        } else if (xml.name() == "workbookView" && firstView) {
            firstView = false;
            if (xml.attribute("activeTab", value)) {
                int tab = 0;
                const auto [end, ec] =
                    std::from_chars(value.data(), value.data() + value.size(), tab);
                if (ec == std::errc() && end == value.data() + value.size()) book.activeTab = tab;
            }
        }
    }
    return book;
}

void appendUtf8(std::string& out, unsigned point) {
    if (point < 0x80) {
        out += static_cast<char>(point);
    } else if (point < 0x800) {
        out += static_cast<char>(0xC0 | point >> 6);
        out += static_cast<char>(0x80 | (point & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | point >> 12);
        out += static_cast<char>(0x80 | (point >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (point & 0x3F));
    }
}

// SpreadsheetML writes a character XML cannot hold (a control character) as "_xHHHH_", and the
// "_" of a literal "_xHHHH_" as "_x005F_"; Excel reads them back as the characters they stand
// for, and so does this.
std::string decodedText(std::string text) {
    if (text.find("_x") == std::string::npos) return text;
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '_' && i + 6 < text.size() && text[i + 1] == 'x' && text[i + 6] == '_') {
            unsigned point = 0;
            bool hex = true;
            for (size_t k = 2; k < 6 && hex; ++k) {
                const int digit = hexDigitValue(text[i + k]);
                hex = digit >= 0;
                point = point * 16 + static_cast<unsigned>(digit);
            }
            if (hex && (point < 0xD800 || point > 0xDFFF)) {
                appendUtf8(out, point);
                i += 6;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

}  // namespace

std::string readXlsxRichText(XmlPartReader& xml) {
    std::string text;
    if (xml.isEmptyElement()) return text;
    const int start = xml.depth();
    bool inText = false;
    for (;;) {
        const Node node = xml.next();
        if (node == Node::End) xml.fail("ends inside a string");
        if (node == Node::StartElement) {
            if (xml.name() == "rPh") {
                xml.skipElement();
            } else {
                inText = xml.name() == "t" && !xml.isEmptyElement();
            }
        } else if (node == Node::EndElement) {
            if (xml.depth() == start) return decodedText(std::move(text));
            inText = false;
        } else if (inText) {
            text += xml.text();
        }
    }
}

namespace {

std::vector<std::string> readSharedStrings(ZipPackage& package, const std::string& path) {
    std::vector<std::string> strings;
    std::unique_ptr<ZipPart> part = package.open(path);
    if (!part) return strings;
    XmlPartReader xml(std::move(part));
    for (Node node; (node = xml.next()) != Node::End;) {
        if (node == Node::StartElement && xml.name() == "si")
            strings.push_back(readXlsxRichText(xml));
    }
    return strings;
}

}  // namespace

bool isXlsxPackage(ZipPackage& package) {
    return package.has("[Content_Types].xml") && package.has(officeDocumentPath(package));
}

Workbook readXlsxPackage(ZipPackage& package) {
    const std::string bookPath = officeDocumentPath(package);
    if (!package.has(bookPath)) {
        throw readError(package.displayName(),
                        "it is damaged: its workbook part " + bookPath + " is missing");
    }
    const WorkbookPart part = readWorkbookPart(package, bookPath);
    const auto relationships = readRelationships(package, bookPath);
    std::vector<std::string> strings;
    for (const auto& [id, rel] : relationships) {
        if (rel.type == "sharedStrings") strings = readSharedStrings(package, rel.target);
    }
    Workbook book;
    for (size_t i = 0; i < part.sheets.size(); ++i) {
        const auto rel = relationships.find(part.sheets[i].relationshipId);
        if (rel == relationships.end() || rel->second.type != "worksheet") continue;
        if (static_cast<int>(i) == part.activeTab) {
            book.activeSheet = static_cast<int>(book.sheets.size()) + 1;
        }
        const std::string& name = part.sheets[i].name;
        book.sheets.emplace_back(name.empty() ? "Sheet" + std::to_string(book.sheets.size() + 1)
                                              : name);
        if (!package.has(rel->second.target)) {
            throw readError(package.displayName(), "it is damaged: the part " + rel->second.target +
                                                       " of sheet \"" + name + "\" is missing");
        }
        readXlsxSheet(package, rel->second.target, strings, book.sheets.back());
    }
    if (book.sheets.empty()) throw readError(package.displayName(), "it holds no worksheet");
    return book;
}

}  // namespace kestrel
