#include "text/message_fit.h"

#include <cstddef>
#include <vector>

namespace varnelo {

namespace {

constexpr std::string_view HORIZONTAL_ELLIPSIS = "\xE2\x80\xA6";

bool IsSeparator(char c) { return c == '/' || c == '\\'; }
bool IsContinuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }
bool IsAscii(char c) { return (static_cast<unsigned char>(c) & 0x80) == 0; }

// Where a path begins: a separator at the start or after a blank, an
// opening bracket or a colon, or a drive letter before one. npos: none.
std::size_t PathStart(std::string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (!IsSeparator(text[i])) continue;
        if (i >= 2 && text[i - 1] == ':' && IsAscii(text[i - 2]) && (i == 2 || text[i - 3] == ' ')) return i - 2;
        if (i == 0 || text[i - 1] == ' ' || text[i - 1] == '(' || text[i - 1] == ':' || text[i - 1] == '"') return i;
        if (i >= 3 && text.substr(i - 3, 3) == "\xE3\x80\x8C") return i;  // 「
    }
    return std::string_view::npos;
}

std::string WithPathShortened(std::string_view text, int room, const TextWidth& width) {
    const std::size_t start = PathStart(text);
    if (start == std::string_view::npos) return {};
    std::size_t last = start;
    for (std::size_t i = start; i < text.size(); ++i)
        if (IsSeparator(text[i])) last = i;
    // The folders between the path's first separator and its last one.
    std::size_t first = start;
    while (!IsSeparator(text[first])) ++first;
    std::vector<std::string_view> folders;
    for (std::size_t from = first + 1; from < last;) {
        std::size_t to = from;
        while (to < last && !IsSeparator(text[to])) ++to;
        folders.push_back(text.substr(from, to - from));
        from = to + 1;
    }
    const char separator = text[last];
    for (std::size_t dropped = 1; dropped <= folders.size(); ++dropped) {
        const std::size_t kept = folders.size() - dropped;
        const std::size_t head = kept / 2;
        std::string shown(text.substr(0, first + 1));
        for (std::size_t i = 0; i < head; ++i) shown.append(folders[i]).push_back(separator);
        shown.append(HORIZONTAL_ELLIPSIS);
        for (std::size_t i = folders.size() - (kept - head); i < folders.size(); ++i)
            shown.append(1, separator).append(folders[i]);
        shown.append(text.substr(last));
        if (width(shown) <= room) return shown;
    }
    return {};
}

}  // namespace

std::string FitMessage(std::string_view text, int room, const TextWidth& width) {
    if (width(text) <= room) return std::string(text);
    if (std::string shown = WithPathShortened(text, room, width); !shown.empty()) return shown;
    // Cut between words: after a blank, or at a character boundary next to
    // a character of a script without blanks; the longest such cut that fits.
    for (std::size_t cut = text.size(); cut > 0; --cut) {
        if (cut < text.size() && IsContinuation(text[cut])) continue;
        const bool afterBlank = text[cut - 1] == ' ';
        const bool wide = !IsAscii(text[cut - 1]) || (cut < text.size() && !IsAscii(text[cut]));
        if (!afterBlank && !wide) continue;
        std::string_view head = text.substr(0, cut);
        while (!head.empty() && head.back() == ' ') head.remove_suffix(1);
        std::string shown = std::string(head) + std::string(HORIZONTAL_ELLIPSIS);
        if (width(shown) <= room) return shown;
    }
    return std::string(HORIZONTAL_ELLIPSIS);
}

}  // namespace varnelo
