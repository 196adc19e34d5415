// UTF-8 decoding for the BIFF writer; Windows-1252 through the C library's iconv.
#include "sheet/core/BiffTextEncoder.h"

#include <iconv.h>

#include <cerrno>
#include <cstdint>

#include "engine/KestrelError.h"

namespace kestrel::biff {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

// Decodes one code point starting at text[i] and advances i. Overlong forms, surrogates,
// values above U+10FFFF and cut-off sequences give U+FFFD and consume one byte, so decoding
// resynchronises at the next byte.
char32_t decodeOne(std::string_view text, size_t& i) {
    const auto lead = static_cast<unsigned char>(text[i]);
    if (lead < 0x80) {
        ++i;
        return lead;
    }
    int extra = 0;
    char32_t cp = 0;
    char32_t minimum = 0;
    if ((lead & 0xE0) == 0xC0) {
        extra = 1, cp = lead & 0x1F, minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        extra = 2, cp = lead & 0x0F, minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        extra = 3, cp = lead & 0x07, minimum = 0x10000;
    } else {
        ++i;
        return kReplacement;
    }
    if (i + static_cast<size_t>(extra) >= text.size()) {  // sequence cut off at the end
        ++i;
        return kReplacement;
    }
    for (int k = 1; k <= extra; ++k) {
        const auto next = static_cast<unsigned char>(text[i + static_cast<size_t>(k)]);
        if ((next & 0xC0) != 0x80) {
            ++i;
            return kReplacement;
        }
        cp = (cp << 6) | (next & 0x3F);
    }
    if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        ++i;
        return kReplacement;
    }
    i += static_cast<size_t>(extra) + 1;
    return cp;
}

}  // namespace

std::u16string utf8ToUtf16(std::string_view utf8) {
    std::u16string out;
    out.reserve(utf8.size());
    for (size_t i = 0; i < utf8.size();) {
        const char32_t cp = decodeOne(utf8, i);
        if (cp < 0x10000) {
            out.push_back(static_cast<char16_t>(cp));
        } else {
            out.push_back(static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF)));
        }
    }
    return out;
}

Cp1252Encoder::Cp1252Encoder() {
    iconv_t cd = ::iconv_open("CP1252", "UTF-32LE");
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        throw KestrelError("the system has no converter to the Windows-1252 character set");
    }
    m_cd = cd;
}

Cp1252Encoder::~Cp1252Encoder() {
    ::iconv_close(static_cast<iconv_t>(m_cd));
}

std::string Cp1252Encoder::encode(std::string_view utf8) {
    // Decode ourselves first: iconv then sees only valid code points, and EILSEQ can only mean
    // "not in Windows-1252", which is replaced character by character.
    std::string units;
    units.reserve(utf8.size() * 4);
    for (size_t i = 0; i < utf8.size();) {
        char32_t cp = decodeOne(utf8, i);
        for (int shift = 0; shift < 32; shift += 8) units.push_back(static_cast<char>(cp >> shift));
    }
    std::string out(units.size() / 4, '\0');
    auto cd = static_cast<iconv_t>(m_cd);
    ::iconv(cd, nullptr, nullptr, nullptr, nullptr);
    char* in = units.data();
    size_t inLeft = units.size();
    char* dst = out.data();
    size_t outLeft = out.size();
    while (inLeft > 0) {
        if (::iconv(cd, &in, &inLeft, &dst, &outLeft) != static_cast<size_t>(-1)) break;
        if (errno != EILSEQ && errno != EINVAL) {
            throw KestrelError("text could not be converted to the Windows-1252 character set");
        }
        // One output byte per input character always fits, so only unmappable input is left.
        *dst++ = '?';
        --outLeft;
        in += 4;
        inLeft -= 4;
        ++m_replaced;
    }
    out.resize(out.size() - outLeft);
    return out;
}

}  // namespace kestrel::biff
