// Little-endian byte builders for tests that craft .xls record streams by hand.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>

namespace kestrel::testbytes {

inline std::string le16(uint32_t v) {
    return {static_cast<char>(v & 0xFF), static_cast<char>((v >> 8) & 0xFF)};
}

inline std::string le32(uint32_t v) {
    return le16(v & 0xFFFF) + le16(v >> 16);
}

inline std::string f64(double v) {
    uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    return le32(static_cast<uint32_t>(bits)) + le32(static_cast<uint32_t>(bits >> 32));
}

/// @brief One BIFF record: id, length, data.
inline std::string rec(uint16_t id, const std::string& data) {
    return le16(id) + le16(static_cast<uint16_t>(data.size())) + data;
}

}  // namespace kestrel::testbytes
