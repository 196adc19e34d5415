// libxml2's SAX2 push parser over a ZIP part, turned into a pull interface: each block of the
// part is parsed into a queue of events that next() hands out. No tree is built, so a part of
// any size costs one block and its events.
#include "sheet/packages/XmlPartReader.h"

#include <libxml/SAX2.h>
#include <libxml/parser.h>
#include <libxml/parserInternals.h>

#include <cstring>

#include "sheet/core/ReadError.h"

namespace kestrel {

namespace {

constexpr size_t kBlockSize = size_t{1} << 18;

// XML_PARSE_NONET: no network. Deliberately absent: XML_PARSE_NOENT (entity expansion),
// XML_PARSE_DTDLOAD / DTDATTR / DTDVALID (loading a DTD), XML_PARSE_HUGE (lifting the limits).
constexpr int kParseOptions =
    XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING | XML_PARSE_NOXINCNODE;

std::string_view view(const xmlChar* text) {
    return text ? std::string_view(reinterpret_cast<const char*>(text)) : std::string_view{};
}

std::string_view view(const xmlChar* begin, const xmlChar* end) {
    return std::string_view(reinterpret_cast<const char*>(begin), static_cast<size_t>(end - begin));
}

// No external resource is ever loaded, whatever a part asks for.
xmlParserInputPtr refuseExternalEntity(const char*, const char*, xmlParserCtxtPtr) {
    return nullptr;
}

}  // namespace

struct XmlPartReaderAccess {
    static XmlPartReader* self(void* context) {
        return static_cast<XmlPartReader*>(static_cast<xmlParserCtxtPtr>(context)->_private);
    }

    static void startElement(void* context, const xmlChar* localName, const xmlChar*,
                             const xmlChar*, int, const xmlChar**, int attributeCount, int,
                             const xmlChar** attributes) {
        XmlPartReader& r = *self(context);
        XmlPartReader::Event event{XmlPartReader::Node::StartElement,
                                   r.m_depth++,
                                   false,
                                   0,
                                   0,
                                   0,
                                   0,
                                   static_cast<uint32_t>(r.m_attributes.size()),
                                   static_cast<uint32_t>(attributeCount)};
        const std::string_view name = view(localName);
        event.name = r.store(name);
        event.nameSize = static_cast<uint32_t>(name.size());
        // Five pointers per attribute: local name, prefix, URI, value start, value end.
        for (int i = 0; i < attributeCount; ++i) {
            const xmlChar** a = attributes + 5 * i;
            XmlPartReader::Attribute attribute{};
            attribute.localName = r.store(view(a[0]));
            attribute.localNameSize = static_cast<uint32_t>(view(a[0]).size());
            attribute.uri = r.store(view(a[2]));
            attribute.uriSize = static_cast<uint32_t>(view(a[2]).size());
            const std::string value = decodeAmpersands(view(a[3], a[4]));
            attribute.value = r.store(value);
            attribute.valueSize = static_cast<uint32_t>(value.size());
            attribute.prefixed = a[1] != nullptr;
            r.m_attributes.push_back(attribute);
        }
        r.m_events.push_back(event);
    }

    // Without entity substitution libxml2 hands an attribute's "&" on as "&#38;".
    static std::string decodeAmpersands(std::string_view value) {
        std::string out(value);
        for (size_t at; (at = out.find("&#38;")) != std::string::npos;) out.replace(at, 5, "&");
        return out;
    }

    static void endElement(void* context, const xmlChar*, const xmlChar*, const xmlChar*) {
        XmlPartReader& r = *self(context);
        --r.m_depth;
        if (r.m_events.size() > r.m_next) {
            XmlPartReader::Event& last = r.m_events.back();
            if (last.node == XmlPartReader::Node::StartElement && last.depth == r.m_depth) {
                last.empty = true;  // nothing between start and end: hand out the start only
                return;
            }
        }
        r.m_events.push_back(XmlPartReader::Event{XmlPartReader::Node::EndElement, r.m_depth, false,
                                                  0, 0, 0, 0, 0, 0});
    }

    static void characters(void* context, const xmlChar* text, int size) {
        XmlPartReader& r = *self(context);
        const std::string_view piece(reinterpret_cast<const char*>(text),
                                     static_cast<size_t>(size));
        if (r.m_events.size() > r.m_next && r.m_events.back().node == XmlPartReader::Node::Text &&
            r.m_events.back().text + r.m_events.back().textSize == r.m_data.size()) {
            r.m_data.append(piece);  // the rest of the same text
            r.m_events.back().textSize += static_cast<uint32_t>(size);
            return;
        }
        XmlPartReader::Event event{XmlPartReader::Node::Text, r.m_depth, false, 0, 0, 0, 0, 0, 0};
        event.text = r.store(piece);
        event.textSize = static_cast<uint32_t>(size);
        r.m_events.push_back(event);
    }

    // Spreadsheet packages never declare a document type or entities of their own: a part
    // that does is crafted (entity bombs, external files), and parsing stops right there.
    static void documentType(void* context, const xmlChar*, const xmlChar*, const xmlChar*) {
        self(context)->m_declaresDoctype = true;
        xmlStopParser(static_cast<xmlParserCtxtPtr>(context));
    }
    static void entityReference(void* context, const xmlChar*) {
        self(context)->m_declaresDoctype = true;
        xmlStopParser(static_cast<xmlParserCtxtPtr>(context));
    }

    static void onError(void* context, xmlErrorPtr error) {
        if (!context || !error) return;
        XmlPartReader& r = *self(context);
        if (r.m_error.empty() && error->message && error->level >= XML_ERR_ERROR) {
            r.m_error = error->message;
            while (!r.m_error.empty() && (r.m_error.back() == '\n' || r.m_error.back() == ' '))
                r.m_error.pop_back();
        }
    }

    static xmlSAXHandler handler() {
        xmlSAXHandler sax;
        std::memset(&sax, 0, sizeof sax);
        sax.initialized = XML_SAX2_MAGIC;
        sax.startElementNs = startElement;
        sax.endElementNs = endElement;
        sax.characters = characters;
        sax.cdataBlock = characters;
        sax.ignorableWhitespace = characters;
        sax.internalSubset = documentType;
        sax.externalSubset = documentType;
        sax.reference = entityReference;
        sax.serror = onError;
        return sax;
    }
};

XmlPartReader::XmlPartReader(std::unique_ptr<ZipPart> part)
    : m_part(std::move(part)), m_block(kBlockSize) {
    static const bool loaderSet = [] {
        xmlSetExternalEntityLoader(refuseExternalEntity);
        return true;
    }();
    (void)loaderSet;
    xmlSAXHandler sax = XmlPartReaderAccess::handler();
    m_parser = xmlCreatePushParserCtxt(&sax, nullptr, nullptr, 0, nullptr);
    if (!m_parser) fail("cannot be parsed");
    m_parser->_private = this;
    xmlCtxtUseOptions(m_parser, kParseOptions);
}

XmlPartReader::~XmlPartReader() {
    if (m_parser) {
        if (m_parser->myDoc) xmlFreeDoc(m_parser->myDoc);
        xmlFreeParserCtxt(m_parser);
    }
}

uint32_t XmlPartReader::store(std::string_view text) {
    const auto offset = static_cast<uint32_t>(m_data.size());
    m_data.append(text);
    return offset;
}

void XmlPartReader::fill() {
    // Events already handed out are dropped; the one in hand stays readable until next().
    m_events.clear();
    m_attributes.clear();
    m_data.clear();
    m_next = 0;
    while (m_events.empty() && !m_ended) {
        const size_t got = m_part->read(m_block.data(), m_block.size());
        m_ended = got == 0;
        const int status = xmlParseChunk(m_parser, m_block.data(), static_cast<int>(got), m_ended);
        if (m_declaresDoctype)
            fail("declares a document type or entities, which no spreadsheet does");
        if (status != 0 || !m_parser->wellFormed) fail("is not well-formed XML");
    }
}

XmlPartReader::Node XmlPartReader::next() {
    if (m_next >= m_events.size()) {
        fill();
        if (m_events.empty()) return Node::End;
    }
    return m_events[m_next++].node;
}

std::string_view XmlPartReader::name() const {
    return stored(current().name, current().nameSize);
}

bool XmlPartReader::isEmptyElement() const {
    return current().empty;
}

int XmlPartReader::depth() const {
    return current().depth;
}

bool XmlPartReader::attribute(std::string_view localName, std::string& value, bool prefixed) const {
    const Event& e = current();
    for (uint32_t i = e.firstAttribute; i < e.firstAttribute + e.attributeCount; ++i) {
        const Attribute& a = m_attributes[i];
        if (a.prefixed == prefixed && stored(a.localName, a.localNameSize) == localName) {
            value.assign(stored(a.value, a.valueSize));
            return true;
        }
    }
    return false;
}

bool XmlPartReader::attributeNs(const char* localName, const char* uri, std::string& value) const {
    const Event& e = current();
    for (uint32_t i = e.firstAttribute; i < e.firstAttribute + e.attributeCount; ++i) {
        const Attribute& a = m_attributes[i];
        if (stored(a.localName, a.localNameSize) == localName && stored(a.uri, a.uriSize) == uri) {
            value.assign(stored(a.value, a.valueSize));
            return true;
        }
    }
    return false;
}

std::string_view XmlPartReader::text() const {
    return stored(current().text, current().textSize);
}

void XmlPartReader::skipElement() {
    if (isEmptyElement()) return;
    const int start = depth();
    for (;;) {
        const Node node = next();
        if (node == Node::End) return;
        if (node == Node::EndElement && depth() == start) return;
    }
}

void XmlPartReader::fail(const std::string& what) const {
    std::string reason = "it is damaged: its part " + partName() + " " + what;
    if (!m_error.empty()) reason += " (" + m_error + ")";
    throw readError(fileName(), reason);
}

void XmlPartReader::failInSheet(const std::string& sheet, const std::string& what) const {
    std::string reason = "it is damaged: sheet \"" + sheet + "\" (part " + partName() + ") " + what;
    if (!m_error.empty()) reason += " (" + m_error + ")";
    throw readError(fileName(), reason);
}

}  // namespace kestrel
