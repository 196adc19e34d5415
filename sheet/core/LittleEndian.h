// Little-endian integers and IEEE doubles over raw bytes, as stored in BIFF records and compound
// files: readers, and the writer of an unsigned integer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace kestrel {

inline uint16_t readU16le(const char* p) {
    const auto* b = reinterpret_cast<const unsigned char*>(p);
    return static_cast<uint16_t>(b[0] | (b[1] << 8));
}

inline uint32_t readU32le(const char* p) {
    const auto* b = reinterpret_cast<const unsigned char*>(p);
    return static_cast<uint32_t>(b[0]) | (static_cast<uint32_t>(b[1]) << 8) |
           (static_cast<uint32_t>(b[2]) << 16) | (static_cast<uint32_t>(b[3]) << 24);
}

inline uint64_t readU64le(const char* p) {
    return static_cast<uint64_t>(readU32le(p)) | (static_cast<uint64_t>(readU32le(p + 4)) << 32);
}

inline double readF64le(const char* p) {
    const uint64_t bits = readU64le(p);
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

/// @brief Stores an unsigned integer's bytes, lowest first, at `out`.
template <class T>
void putLittleEndian(char* out, T value) {
    for (size_t i = 0; i < sizeof value; ++i) out[i] = static_cast<char>(value >> (8 * i));
}

}  // namespace kestrel
