// A streaming XML reader over one part of a ZIP package: libxml2's SAX2 push parser, whose
// events are handed out one at a time. Set up for untrusted files: no network, no external
// entities or DTDs, no entity expansion, libxml2's size limits kept, and a document type
// declaration refused outright.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "sheet/packages/ZipPackage.h"

typedef struct _xmlParserCtxt xmlParserCtxt;

namespace kestrel {

/// @brief Walks the elements and text of a part. Names are local names (the namespace prefix
/// dropped), as spreadsheet packages are written with varying prefixes. Errors are
/// KestrelError "Cannot read <file>: it is damaged: its part <part> ...".
class XmlPartReader {
  public:
    enum class Node { StartElement, EndElement, Text, End };

    explicit XmlPartReader(std::unique_ptr<ZipPart> part);
    ~XmlPartReader();
    XmlPartReader(const XmlPartReader&) = delete;
    XmlPartReader& operator=(const XmlPartReader&) = delete;

    /// @brief Moves to the next start tag, end tag or text (whitespace included); End at the
    /// end of the part. An empty element (<a/>) gives its start only: see isEmptyElement().
    Node next();
    /// @brief The local name of the current element.
    std::string_view name() const;
    bool isEmptyElement() const;
    /// @brief Nesting depth of the current node (the root element is 0).
    int depth() const;
    /// @brief The value of the current element's attribute with this local name, or nothing.
    /// `prefixed` asks for an attribute written with a namespace prefix (r:id, table:name).
    bool attribute(std::string_view localName, std::string& value, bool prefixed = false) const;
    /// @brief The value of the attribute with this local name in the namespace `uri`.
    bool attributeNs(const char* localName, const char* uri, std::string& value) const;
    /// @brief The current text node's text.
    std::string_view text() const;
    /// @brief Skips the current element's content: the next node is what follows its end tag.
    void skipElement();

    /// @brief A KestrelError for a part whose content makes no sense.
    [[noreturn]] void fail(const std::string& what) const;
    /// @brief The same for a part that holds the sheet or table `sheet`: "it is damaged: sheet
    /// "Data" (part xl/worksheets/sheet1.xml) <what>".
    [[noreturn]] void failInSheet(const std::string& sheet, const std::string& what) const;
    const std::string& partName() const { return m_part->name(); }
    const std::string& fileName() const { return m_part->fileName(); }

  private:
    struct Event {
        Node node;
        int depth;
        bool empty;               // a start tag whose end followed at once (<a/> or <a></a>)
        uint32_t name, nameSize;  // in m_data
        uint32_t text, textSize;  // in m_data (Text)
        uint32_t firstAttribute, attributeCount;  // in m_attributes
    };
    struct Attribute {
        uint32_t localName, localNameSize, uri, uriSize, value, valueSize;  // in m_data
        bool prefixed;
    };

    void fill();
    uint32_t store(std::string_view text);
    std::string_view stored(uint32_t offset, uint32_t size) const {
        return std::string_view(m_data).substr(offset, size);
    }
    const Event& current() const { return m_events[m_next - 1]; }

    std::unique_ptr<ZipPart> m_part;
    xmlParserCtxt* m_parser = nullptr;
    std::vector<Event> m_events;  // parsed but not yet handed out, from m_next on
    size_t m_next = 0;
    std::vector<Attribute> m_attributes;
    std::string m_data;
    std::vector<char> m_block;
    int m_depth = 0;
    bool m_ended = false;
    bool m_declaresDoctype = false;
    std::string m_error;        // libxml2's first complaint, or why the part was refused
    std::string m_readFailure;  // the package's own error (a ZIP bomb, a broken part)

    friend struct XmlPartReaderAccess;
};

}  // namespace kestrel
