#include "text/message_text.h"

#include <algorithm>

namespace varnelo {

namespace {

// ASCII, as every word of the command line's messages: a terminal in a
// locale that is not UTF-8 shows it as it is.
constexpr std::string_view CUT_MARK = "...";

void AppendHexByte(std::string& text, unsigned char byte) {
    constexpr char HEX[] = "0123456789ABCDEF";
    text += {'\\', 'x', HEX[byte >> 4], HEX[byte & 0xF]};
}

void AppendEscaped(std::string& text, unsigned char byte) {
    switch (byte) {
        case '\n': text += "\\n"; break;
        case '\r': text += "\\r"; break;
        case '\t': text += "\\t"; break;
        case '\0': text += "\\0"; break;
        default: AppendHexByte(text, byte);
    }
}

bool Continuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// The continuation bytes a lead byte announces; 0 for any other byte.
int Announced(unsigned char byte) {
    if (byte >= 0xC2 && byte <= 0xDF) return 1;
    if (byte >= 0xE0 && byte <= 0xEF) return 2;
    if (byte >= 0xF0 && byte <= 0xF4) return 3;
    return 0;
}

}  // namespace

std::string MessageText(std::string_view value, std::size_t maxCharacters) {
    std::string text;
    text.reserve(std::min(value.size(), maxCharacters == MESSAGE_UNCUT ? value.size() : 4 * maxCharacters) + 8);
    std::size_t characters = 0;
    int pending = 0;  // continuation bytes still due to the character under way
    for (std::size_t i = 0; i < value.size(); ++i) {
        const auto byte = static_cast<unsigned char>(value[i]);
        // A stray continuation byte (a name in Latin-1, say) counts as a
        // character of its own, so that no run of bytes escapes the cut.
        if (pending > 0 && Continuation(byte)) {
            --pending;
        } else {
            if (characters++ == maxCharacters) return text += CUT_MARK;
            pending = Announced(byte);
        }
        if (byte < 0x20 || byte == 0x7F) {
            AppendEscaped(text, byte);
        } else if (byte == 0xC2 && i + 1 < value.size() && static_cast<unsigned char>(value[i + 1]) >= 0x80 &&
                   static_cast<unsigned char>(value[i + 1]) <= 0x9F) {
            // U+0080..U+009F: terminals take some of them as commands.
            AppendHexByte(text, byte);
            AppendHexByte(text, static_cast<unsigned char>(value[++i]));
            pending = 0;
        } else {
            text += static_cast<char>(byte);
        }
    }
    return text;
}

std::string QuotedValue(std::string_view value) { return '\'' + MessageText(value) + '\''; }

}  // namespace varnelo
