// Shared by the fuzz targets and the regression tests that replay their findings: a broken
// invariant is an InvariantBroken exception, an expected refusal is a KestrelError.
#pragma once

#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>
#include <string_view>

namespace kestrel::fuzz {

/// @brief A property that must hold for every input does not hold for this one.
class InvariantBroken : public std::logic_error {
  public:
    explicit InvariantBroken(const std::string& what) : std::logic_error(what) {}
};

inline void require(bool condition, const std::string& what) {
    if (!condition) throw InvariantBroken(what);
}

/// @brief As require, for checks made at every position: the message is only built on failure.
inline void requireAt(bool condition, const char* what, long long position) {
    if (!condition)
        throw InvariantBroken(std::string(what) + " at position " + std::to_string(position));
}

/// @brief Reads the input front to back; once it runs dry every read yields zeros.
class ByteReader {
  public:
    explicit ByteReader(std::string_view bytes) : m_bytes(bytes) {}

    uint8_t byte() { return m_pos < m_bytes.size() ? static_cast<uint8_t>(m_bytes[m_pos++]) : 0; }
    uint16_t word() {
        const uint16_t low = byte();
        return static_cast<uint16_t>(low | (byte() << 8));
    }
    double rawDouble() {
        uint64_t bits = 0;
        for (int i = 0; i < 8; ++i) bits |= static_cast<uint64_t>(byte()) << (8 * i);
        double value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }
    size_t remaining() const { return m_bytes.size() - m_pos; }
    std::string_view rest() const { return m_bytes.substr(m_pos); }

  private:
    std::string_view m_bytes;
    size_t m_pos = 0;
};

}  // namespace kestrel::fuzz
