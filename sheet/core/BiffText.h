// Text in BIFF records: Excel 97 Unicode strings (8-bit or UTF-16, possibly split across
// CONTINUE records) and Excel 5/95 byte strings in the workbook's code page, both to UTF-8.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "sheet/core/BiffRecords.h"

namespace kestrel {

/// @brief Decodes Excel 5/95 byte strings in the code page of the CODEPAGE record (Windows code
/// page number: 1252, 1250, 10000 Mac Roman, 932 Shift-JIS, ...), through iconv. Unknown code
/// pages read as Windows-1252; a byte that does not decode becomes U+FFFD.
class CodepageDecoder {
  public:
    explicit CodepageDecoder(uint16_t codepage = 1252);
    ~CodepageDecoder();
    CodepageDecoder(const CodepageDecoder&) = delete;
    CodepageDecoder& operator=(const CodepageDecoder&) = delete;

    std::string toUtf8(std::string_view bytes) const;

  private:
    struct Converter;
    std::unique_ptr<Converter> m_converter;
};

/// @brief Appends the UTF-8 form of UTF-16 code units; an unpaired surrogate becomes U+FFFD.
void appendUtf16AsUtf8(std::string& out, std::u16string_view units);

/// @brief Reads an Excel 97 Unicode string: a character count (16-bit, or 8-bit when
/// `shortCount`), an option byte, the optional rich-text run count and phonetic block size, the
/// characters, then skips the runs and the phonetic block. Where the characters continue in
/// the next piece, that piece starts with a fresh option byte saying whether they are 8- or
/// 16-bit. Throws BiffRecordTooShort when the data ends early.
std::string readUnicodeString(BiffPieces& in, bool shortCount);

/// @brief Reads an Excel 5/95 byte string (16-bit count, or 8-bit when `shortCount`).
std::string readByteString(BiffPieces& in, bool shortCount, const CodepageDecoder& decoder);

}  // namespace kestrel
