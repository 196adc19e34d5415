// Cell and sheet-name text as the two BIFF formats store it: UTF-16 (BIFF8) or Windows-1252
// (BIFF5). Our text is UTF-8.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace kestrel::biff {

/// @brief UTF-8 to UTF-16 code units. A malformed sequence becomes U+FFFD, so every input
/// gives a well-formed result.
std::u16string utf8ToUtf16(std::string_view utf8);

/// @brief Converts UTF-8 text to Windows-1252 (the code page of Excel 5 files) through iconv.
/// A character that Windows-1252 cannot hold, and a malformed UTF-8 sequence, becomes "?".
class Cp1252Encoder {
  public:
    /// @brief Throws KestrelError when the system has no Windows-1252 converter.
    Cp1252Encoder();
    ~Cp1252Encoder();
    Cp1252Encoder(const Cp1252Encoder&) = delete;
    Cp1252Encoder& operator=(const Cp1252Encoder&) = delete;

    std::string encode(std::string_view utf8);
    /// @brief How many characters became "?" in all encode() calls so far.
    size_t replacedCount() const { return m_replaced; }

  private:
    void* m_cd;  // iconv_t, kept opaque so that <iconv.h> stays out of the header
    size_t m_replaced = 0;
};

}  // namespace kestrel::biff
