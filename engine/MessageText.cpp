// Excerpts of cell texts and library messages for one-line messages.
#include "engine/MessageText.h"

namespace kestrel {
namespace {

constexpr size_t kLibraryDetailCharacters = 80;

bool startsCharacter(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
}

}  // namespace

std::string messageExcerpt(std::string_view text, size_t maxCharacters) {
    std::string out;
    size_t characters = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (startsCharacter(c) && ++characters > maxCharacters) {
            out += "\u2026";
            break;
        }
        const auto byte = static_cast<unsigned char>(c);
        out += (byte < 0x20 || byte == 0x7F) ? ' ' : c;
    }
    return out;
}

std::string libraryDetail(std::string_view message) {
    std::string_view line = message.substr(0, message.find_first_of("\r\n"));
    const size_t sentenceEnd = line.find(". ");
    if (sentenceEnd != std::string_view::npos) line = line.substr(0, sentenceEnd);
    while (!line.empty() && (line.back() == '.' || line.back() == ' ')) line.remove_suffix(1);
    while (!line.empty() && line.front() == ' ') line.remove_prefix(1);
    return messageExcerpt(line, kLibraryDetailCharacters);
}

}  // namespace kestrel
