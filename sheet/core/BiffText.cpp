// Excel 97 Unicode strings and Excel 5/95 code-page strings to UTF-8.
#include "sheet/core/BiffText.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>

namespace kestrel {

namespace {

void appendCodePoint(std::string& out, uint32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

constexpr uint32_t kReplacement = 0xFFFD;

bool isAscii(std::string_view bytes) {
    return std::all_of(bytes.begin(), bytes.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

/// The iconv name of a Windows code page number as the CODEPAGE record gives it.
std::string iconvNameOf(uint16_t codepage) {
    switch (codepage) {
        case 367:
            return "CP1252";  // US-ASCII; a stray high byte reads as Windows Latin 1
        case 1361:
            return "JOHAB";
        case 10000:
        case 32768:
            return "MACINTOSH";
        case 10006:
            return "MACGREEK";
        case 10007:
            return "MACCYRILLIC";
        case 10029:
            return "MACCENTRALEUROPE";
        case 10079:
            return "MACICELAND";
        case 10081:
            return "MACTURKISH";
        case 32769:
            return "CP1252";
        case 65001:
            return "UTF-8";
        default:
            break;
    }
    const bool windows = codepage >= 1250 && codepage <= 1258;
    const bool dos = (codepage >= 437 && codepage <= 874) || codepage == 932 || codepage == 936 ||
                     codepage == 949 || codepage == 950;
    return windows || dos ? "CP" + std::to_string(codepage) : "CP1252";
}

}  // namespace

void appendUtf16AsUtf8(std::string& out, std::u16string_view units) {
    for (size_t i = 0; i < units.size(); ++i) {
        const uint32_t unit = units[i];
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
            units[i + 1] <= 0xDFFF) {
            appendCodePoint(out, 0x10000 + ((unit - 0xD800) << 10) + (units[i + 1] - 0xDC00));
            ++i;
        } else if (unit >= 0xD800 && unit <= 0xDFFF) {
            appendCodePoint(out, kReplacement);
        } else {
            appendCodePoint(out, unit);
        }
    }
}

// Opened at the first byte string that is not ASCII: most files hold none, and opening loads
// the code page's conversion module.
struct CodepageDecoder::Converter {
    uint16_t codepage = 1252;
    bool opened = false;
    iconv_t handle = reinterpret_cast<iconv_t>(-1);
    ~Converter() {
        if (handle != reinterpret_cast<iconv_t>(-1)) iconv_close(handle);
    }
    iconv_t open() {
        if (opened) return handle;
        opened = true;
        handle = iconv_open("UTF-8", iconvNameOf(codepage).c_str());
        if (handle == reinterpret_cast<iconv_t>(-1)) handle = iconv_open("UTF-8", "CP1252");
        return handle;
    }
};

CodepageDecoder::CodepageDecoder(uint16_t codepage) : m_converter(std::make_unique<Converter>()) {
    // Byte strings are never UTF-16: Excel 5 files that declare code page 1200 (some other
    // programs write them so) hold Windows-1252 bytes, as Excel itself reads them.
    m_converter->codepage = codepage == 1200 ? 1252 : codepage;
}

CodepageDecoder::~CodepageDecoder() = default;

std::string CodepageDecoder::toUtf8(std::string_view bytes) const {
    std::string out;
    if (isAscii(bytes)) return std::string(bytes);
    iconv_t cd = m_converter->open();
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        for (char c : bytes) appendCodePoint(out, static_cast<unsigned char>(c));  // Latin 1
        return out;
    }
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    std::string buffer(bytes.size() * 4 + 16, '\0');
    char* in = const_cast<char*>(bytes.data());
    size_t inLeft = bytes.size();
    char* outPtr = buffer.data();
    size_t outLeft = buffer.size();
    while (inLeft > 0) {
        if (iconv(cd, &in, &inLeft, &outPtr, &outLeft) != static_cast<size_t>(-1)) break;
        if (errno == E2BIG || outLeft < 4) break;  // cannot happen with 4 bytes per input byte
        // An invalid or incomplete sequence: mark it and go on with the next byte.
        std::string mark;
        appendCodePoint(mark, kReplacement);
        std::copy(mark.begin(), mark.end(), outPtr);
        outPtr += mark.size();
        outLeft -= mark.size();
        ++in;
        --inLeft;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    buffer.resize(buffer.size() - outLeft);
    return buffer;
}

std::string readUnicodeString(BiffPieces& in, bool shortCount) {
    const size_t count = shortCount ? in.u8() : in.u16();
    uint8_t options = in.u8();
    const size_t runs = (options & 0x08) ? in.u16() : 0;
    const size_t phonetic = (options & 0x04) ? in.u32() : 0;
    std::u16string units;
    units.reserve(count);
    while (units.size() < count) {
        if (in.availableInPiece() == 0) {
            if (!in.nextPiece()) throw BiffRecordTooShort();
            options = in.u8();
            continue;
        }
        const size_t wanted = count - units.size();
        if (options & 0x01) {
            const size_t n = std::min(wanted, in.availableInPiece() / 2);
            if (n == 0) throw BiffRecordTooShort();  // half a character before a break
            const std::string_view bytes = in.take(2 * n);
            for (size_t i = 0; i < n; ++i) {
                units += static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                               (static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
            }
        } else {
            const std::string_view bytes = in.take(std::min(wanted, in.availableInPiece()));
            for (char c : bytes) units += static_cast<char16_t>(static_cast<unsigned char>(c));
        }
    }
    in.skip(4 * runs);
    in.skip(phonetic);
    std::string out;
    out.reserve(units.size());
    appendUtf16AsUtf8(out, units);
    return out;
}

std::string readByteString(BiffPieces& in, bool shortCount, const CodepageDecoder& decoder) {
    const size_t count = shortCount ? in.u8() : in.u16();
    std::string bytes;
    bytes.reserve(count);
    while (bytes.size() < count) {
        if (in.availableInPiece() == 0 && !in.nextPiece()) throw BiffRecordTooShort();
        bytes += in.take(std::min(count - bytes.size(), in.availableInPiece()));
    }
    return decoder.toUtf8(bytes);
}

}  // namespace kestrel
