// Builds a BIFF record stream: little-endian fields, record headers, CONTINUE splitting.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace kestrel::biff {

inline constexpr uint16_t kContinue = 0x003C;
/// Largest record payload Excel accepts: 8,224 bytes in BIFF8, 2,080 bytes in BIFF5.
inline constexpr size_t kMaxPayloadBiff8 = 8224;
inline constexpr size_t kMaxPayloadBiff5 = 2080;

/// @brief Appends records to one byte stream. A record is opened with begin(), filled with the
/// field writers and closed with end(), which fills in its length. Callers that may exceed the
/// payload limit check room() and call continueRecord() to go on in a CONTINUE record.
class RecordWriter {
  public:
    explicit RecordWriter(size_t maxPayload) : m_maxPayload(maxPayload) {}

    void begin(uint16_t type);
    void end();
    /// @brief Closes the open record and opens a CONTINUE record in its place.
    void continueRecord();
    /// @brief Writes a whole record whose payload needs no splitting.
    void record(uint16_t type, std::string_view payload);
    /// @brief Appends a record laid out in full by the caller, header included (the cells
    /// written by the hundred thousand take this path).
    void wholeRecord(std::string_view bytes);

    void u8(uint8_t v);
    void u16(uint16_t v);
    void u32(uint32_t v);
    void f64(double v);
    void raw(std::string_view bytes);

    /// @brief Makes room for the stream to grow to `bytes` without moving.
    void reserve(size_t bytes) { m_bytes.reserve(bytes); }
    /// @brief Bytes still free in the open record.
    size_t room() const;
    /// @brief Absolute offset of the next byte in the stream.
    size_t position() const { return m_bytes.size(); }
    /// @brief Absolute offset of the open record's header.
    size_t recordStart() const { return m_recordStart; }
    /// @brief Overwrites four bytes already written (a forward reference such as a sheet's
    /// stream offset).
    void patchU32(size_t at, uint32_t v);
    void patchU16(size_t at, uint16_t v);

    const std::string& bytes() const { return m_bytes; }
    std::string take() { return std::move(m_bytes); }

  private:
    void reserveField(size_t size) const;

    size_t m_maxPayload;
    std::string m_bytes;
    size_t m_recordStart = 0;
    bool m_open = false;
};

}  // namespace kestrel::biff
