// Little-endian record building for BIFF streams.
#include "sheet/core/BiffRecordWriter.h"

#include <bit>
#include <stdexcept>

namespace kestrel::biff {

void RecordWriter::begin(uint16_t type) {
    if (m_open) throw std::logic_error("BIFF record opened inside another record");
    m_recordStart = m_bytes.size();
    m_open = true;
    m_bytes.push_back(static_cast<char>(type & 0xFF));
    m_bytes.push_back(static_cast<char>(type >> 8));
    m_bytes.append(2, '\0');  // length, filled in by end()
}

void RecordWriter::end() {
    if (!m_open) throw std::logic_error("BIFF record closed twice");
    const size_t length = m_bytes.size() - m_recordStart - 4;
    m_bytes[m_recordStart + 2] = static_cast<char>(length & 0xFF);
    m_bytes[m_recordStart + 3] = static_cast<char>(length >> 8);
    m_open = false;
}

void RecordWriter::continueRecord() {
    end();
    begin(kContinue);
}

void RecordWriter::record(uint16_t type, std::string_view payload) {
    begin(type);
    raw(payload);
    end();
}

void RecordWriter::wholeRecord(std::string_view bytes) {
    if (m_open) throw std::logic_error("BIFF record opened inside another record");
    m_bytes.append(bytes);
}

size_t RecordWriter::room() const {
    return m_open ? m_maxPayload - (m_bytes.size() - m_recordStart - 4) : 0;
}

// A field that would overflow the record is a bug in the record's builder, never a property of
// the user's data: the builders check sizes before they write.
void RecordWriter::reserveField(size_t size) const {
    if (!m_open) throw std::logic_error("BIFF field written outside a record");
    if (size > room()) throw std::logic_error("BIFF record exceeds its size limit");
}

void RecordWriter::u8(uint8_t v) {
    reserveField(1);
    m_bytes.push_back(static_cast<char>(v));
}

void RecordWriter::u16(uint16_t v) {
    reserveField(2);
    m_bytes.push_back(static_cast<char>(v & 0xFF));
    m_bytes.push_back(static_cast<char>(v >> 8));
}

void RecordWriter::u32(uint32_t v) {
    reserveField(4);
    for (int shift = 0; shift < 32; shift += 8) m_bytes.push_back(static_cast<char>(v >> shift));
}

void RecordWriter::f64(double v) {
    reserveField(8);
    const auto bits = std::bit_cast<uint64_t>(v);
    for (int shift = 0; shift < 64; shift += 8) m_bytes.push_back(static_cast<char>(bits >> shift));
}

void RecordWriter::raw(std::string_view bytes) {
    reserveField(bytes.size());
    m_bytes.append(bytes);
}

void RecordWriter::patchU32(size_t at, uint32_t v) {
    if (at + 4 > m_bytes.size()) throw std::logic_error("BIFF patch beyond the stream");
    for (int i = 0; i < 4; ++i)
        m_bytes[at + static_cast<size_t>(i)] = static_cast<char>(v >> (8 * i));
}

void RecordWriter::patchU16(size_t at, uint16_t v) {
    if (at + 2 > m_bytes.size()) throw std::logic_error("BIFF patch beyond the stream");
    m_bytes[at] = static_cast<char>(v & 0xFF);
    m_bytes[at + 1] = static_cast<char>(v >> 8);
}

}  // namespace kestrel::biff
