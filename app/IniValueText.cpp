// Quoting and escaping of settings values in INI text.
#include "app/IniValueText.h"

#include <optional>

#include "engine/NumberText.h"

namespace kestrel {
namespace {

bool isControl(unsigned char c) {
    return c < 0x20 || c == 0x7F;
}
bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

bool needsQuotes(std::string_view value) {
    if (value.empty()) return false;
    if (isBlank(value.front()) || isBlank(value.back()) || value.front() == '"') return true;
    for (char c : value) {
        if (isControl(static_cast<unsigned char>(c))) return true;
    }
    return false;
}

// The escaped body of a quoted value, or nothing when it holds a stray quote or a bad escape.
std::optional<std::string> unescaped(std::string_view body) {
    std::string out;
    for (size_t i = 0; i < body.size(); ++i) {
        const char c = body[i];
        if (c == '"') return std::nullopt;
        if (c != '\\') {
            out += c;
            continue;
        }
        if (++i == body.size()) return std::nullopt;
        switch (body[i]) {
            case '\\':
                out += '\\';
                break;
            case '"':
                out += '"';
                break;
            case 'n':
                out += '\n';
                break;
            case 'r':
                out += '\r';
                break;
            case 't':
                out += '\t';
                break;
            case 'x': {
                if (i + 2 >= body.size()) return std::nullopt;
                const int high = hexDigitValue(body[i + 1]);
                const int low = hexDigitValue(body[i + 2]);
                if (high < 0 || low < 0) return std::nullopt;
                out += static_cast<char>(high * 16 + low);
                i += 2;
                break;
            }
            default:
                return std::nullopt;
        }
    }
    return out;
}

}  // namespace

std::string iniValueText(std::string_view value) {
    if (!needsQuotes(value)) return std::string(value);
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string text = "\"";
    for (char c : value) {
        const auto byte = static_cast<unsigned char>(c);
        switch (c) {
            case '\\':
                text += "\\\\";
                break;
            case '"':
                text += "\\\"";
                break;
            case '\n':
                text += "\\n";
                break;
            case '\r':
                text += "\\r";
                break;
            case '\t':
                text += "\\t";
                break;
            default:
                if (isControl(byte)) {
                    text += "\\x";
                    text += kHex[byte >> 4];
                    text += kHex[byte & 0xF];
                } else {
                    text += c;
                }
        }
    }
    text += '"';
    return text;
}

std::string iniValueFromText(std::string_view text) {
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"') {
        if (auto value = unescaped(text.substr(1, text.size() - 2))) return *value;
    }
    return std::string(text);
}

}  // namespace kestrel
