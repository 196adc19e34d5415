// Walks the records of a BIFF5/BIFF8 workbook stream (id, length, data), and reads values that
// run on into the CONTINUE records after a record.
#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string_view>
#include <utility>
#include <vector>

namespace kestrel {

namespace biff {
inline constexpr uint16_t kFormula = 0x0006;
inline constexpr uint16_t kEof = 0x000A;
inline constexpr uint16_t kFilePass = 0x002F;
inline constexpr uint16_t kContinue = 0x003C;
inline constexpr uint16_t kWindow1 = 0x003D;
inline constexpr uint16_t kCodePage = 0x0042;
inline constexpr uint16_t kBoundSheet = 0x0085;
inline constexpr uint16_t kMulRk = 0x00BD;
inline constexpr uint16_t kRString = 0x00D6;
inline constexpr uint16_t kSst = 0x00FC;
inline constexpr uint16_t kLabelSst = 0x00FD;
inline constexpr uint16_t kNumber = 0x0203;
inline constexpr uint16_t kLabel = 0x0204;
inline constexpr uint16_t kBoolErr = 0x0205;
inline constexpr uint16_t kString = 0x0207;
inline constexpr uint16_t kRk = 0x027E;
inline constexpr uint16_t kBof = 0x0809;
// BOF ids of the formats before Excel 5, which keep no compound file.
inline constexpr uint16_t kBofBiff2 = 0x0009;
inline constexpr uint16_t kBofBiff3 = 0x0209;
inline constexpr uint16_t kBofBiff4 = 0x0409;
}  // namespace biff

/// @brief Raised when a value is read past the end of a record (with its CONTINUE records).
class BiffRecordTooShort : public std::runtime_error {
  public:
    BiffRecordTooShort() : std::runtime_error("record too short") {}
};

/// @brief Raised when a record's declared length runs past the end of the stream.
class BiffStreamCutShort : public std::runtime_error {
  public:
    explicit BiffStreamCutShort(size_t offset)
        : std::runtime_error("record runs past the end"), m_offset(offset) {}
    size_t offset() const { return m_offset; }

  private:
    size_t m_offset;
};

struct BiffRecord {
    uint16_t id = 0;
    std::string_view data;
    size_t offset = 0;  ///< of the record's header in the stream
};

/// @brief Reads records one after the other from `start`; never reads outside the stream.
class BiffRecordCursor {
  public:
    BiffRecordCursor(std::string_view stream, size_t start) : m_stream(stream), m_pos(start) {}

    /// @brief Moves to the next record; false at the end of the stream. Throws
    /// BiffStreamCutShort when a record's header or data is cut off by the end of the stream.
    bool next();
    const BiffRecord& record() const { return m_record; }
    /// @brief Stream offset of the record after the current one.
    size_t position() const { return m_pos; }

    /// @brief The current record's data followed by the data of every CONTINUE record right
    /// after it; the cursor moves past those CONTINUE records.
    std::vector<std::string_view> withContinues();

  private:
    std::string_view m_stream;
    size_t m_pos;
    BiffRecord m_record;
};

/// @brief A sequence of record data pieces (a record and its CONTINUE records) read as one
/// run of bytes, with the piece boundaries visible to string readers.
class BiffPieces {
  public:
    explicit BiffPieces(std::vector<std::string_view> pieces) : m_pieces(std::move(pieces)) {
        if (m_pieces.empty()) m_pieces.emplace_back();
    }
    explicit BiffPieces(std::string_view single) : m_pieces{single} {}

    uint8_t u8();
    uint16_t u16();
    uint32_t u32();
    void skip(size_t count);
    /// @brief Bytes left in the current piece.
    size_t availableInPiece() const { return m_pieces[m_index].size() - m_pos; }
    /// @brief Takes `count` bytes from the current piece (count <= availableInPiece()).
    std::string_view take(size_t count);
    /// @brief Moves to the start of the next piece; false when there is none.
    bool nextPiece();
    /// @brief True when no byte is left in this piece or any later one.
    bool atEnd() const;

  private:
    void ensureByte();

    std::vector<std::string_view> m_pieces;
    size_t m_index = 0;
    size_t m_pos = 0;
};

}  // namespace kestrel
