// Record walking and CONTINUE-spanning reads over a BIFF workbook stream.
#include "sheet/core/BiffRecords.h"

#include <algorithm>

#include "sheet/core/LittleEndian.h"

namespace kestrel {

bool BiffRecordCursor::next() {
    if (m_pos >= m_stream.size()) return false;
    if (m_stream.size() - m_pos < 4) throw BiffStreamCutShort(m_pos);
    const uint16_t id = readU16le(m_stream.data() + m_pos);
    const uint16_t length = readU16le(m_stream.data() + m_pos + 2);
    if (m_stream.size() - m_pos - 4 < length) throw BiffStreamCutShort(m_pos);
    m_record = BiffRecord{id, m_stream.substr(m_pos + 4, length), m_pos};
    m_pos += 4 + size_t{length};
    return true;
}

std::vector<std::string_view> BiffRecordCursor::withContinues() {
    std::vector<std::string_view> pieces{m_record.data};
    while (m_stream.size() - m_pos >= 4 && readU16le(m_stream.data() + m_pos) == biff::kContinue) {
        const size_t length = readU16le(m_stream.data() + m_pos + 2);
        if (m_stream.size() - m_pos - 4 < length) throw BiffStreamCutShort(m_pos);
        pieces.push_back(m_stream.substr(m_pos + 4, length));
        m_pos += 4 + length;
    }
    return pieces;
}

void BiffPieces::ensureByte() {
    // Fixed-size fields may straddle a piece boundary; they carry no marker there.
    while (m_pos == m_pieces[m_index].size()) {
        if (m_index + 1 == m_pieces.size()) throw BiffRecordTooShort();
        ++m_index;
        m_pos = 0;
    }
}

uint8_t BiffPieces::u8() {
    ensureByte();
    return static_cast<uint8_t>(m_pieces[m_index][m_pos++]);
}

uint16_t BiffPieces::u16() {
    const uint16_t low = u8();
    return static_cast<uint16_t>(low | (u8() << 8));
}

uint32_t BiffPieces::u32() {
    const uint32_t low = u16();
    return low | (static_cast<uint32_t>(u16()) << 16);
}

void BiffPieces::skip(size_t count) {
    while (count > 0) {
        ensureByte();
        const size_t step = std::min(count, availableInPiece());
        m_pos += step;
        count -= step;
    }
}

std::string_view BiffPieces::take(size_t count) {
    std::string_view bytes = m_pieces[m_index].substr(m_pos, count);
    m_pos += bytes.size();
    return bytes;
}

bool BiffPieces::nextPiece() {
    if (m_index + 1 == m_pieces.size()) return false;
    ++m_index;
    m_pos = 0;
    return true;
}

bool BiffPieces::atEnd() const {
    if (m_pos < m_pieces[m_index].size()) return false;
    for (size_t i = m_index + 1; i < m_pieces.size(); ++i) {
        if (!m_pieces[i].empty()) return false;
    }
    return true;
}

}  // namespace kestrel
