#include "language/text_catalogue.h"

#include <algorithm>

namespace varnelo {

namespace {

// "%1" to "%9" at position i: the marker's number, else 0.
int MarkerAt(std::string_view text, std::size_t i) {
    if (text[i] != '%' || i + 1 >= text.size()) return 0;
    const char digit = text[i + 1];
    return digit >= '1' && digit <= '9' ? digit - '0' : 0;
}

bool HasMarker(std::string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (MarkerAt(text, i) != 0) return true;
    }
    return false;
}

// A message split at its markers: literal[0] marker[0] literal[1] ... literal[n].
struct Pieces {
    std::vector<std::string_view> literals;
    std::vector<int> markers;
};

Pieces Split(std::string_view text) {
    Pieces pieces;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (const int marker = MarkerAt(text, i)) {
            pieces.literals.push_back(text.substr(start, i - start));
            pieces.markers.push_back(marker);
            start = i + 2;
            ++i;
        }
    }
    pieces.literals.push_back(text.substr(start));
    return pieces;
}

std::string Fill(std::string_view pattern, const std::vector<std::string>& arguments) {
    std::string text;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const int marker = MarkerAt(pattern, i);
        if (marker != 0 && static_cast<std::size_t>(marker) <= arguments.size()) {
            text += arguments[static_cast<std::size_t>(marker) - 1];
            ++i;
        } else {
            text += pattern[i];
        }
    }
    return text;
}

// The values in the markers' places when shown reads as pattern; each
// literal is taken at its first place after the previous one, and the
// result must read back as shown.
std::optional<std::vector<std::string>> Match(std::string_view pattern, std::string_view shown) {
    const Pieces pieces = Split(pattern);
    const std::string_view first = pieces.literals.front();
    const std::string_view last = pieces.literals.back();
    if (shown.size() < first.size() + last.size() || !shown.starts_with(first) || !shown.ends_with(last)) {
        return std::nullopt;
    }
    const int highest = *std::max_element(pieces.markers.begin(), pieces.markers.end());
    std::vector<std::string> arguments(static_cast<std::size_t>(highest));
    std::size_t at = first.size();
    const std::size_t end = shown.size() - last.size();
    for (std::size_t k = 0; k < pieces.markers.size(); ++k) {
        std::size_t next = end;
        if (k + 1 < pieces.markers.size()) {
            next = shown.find(pieces.literals[k + 1], at);
            if (next == std::string_view::npos || next > end) return std::nullopt;
        }
        arguments[static_cast<std::size_t>(pieces.markers[k]) - 1] = std::string(shown.substr(at, next - at));
        at = next + (k + 1 < pieces.markers.size() ? pieces.literals[k + 1].size() : 0);
    }
    if (Fill(pattern, arguments) != shown) return std::nullopt;
    return arguments;
}

std::string OriginKey(std::string_view context, std::string_view source) {
    std::string key(context);
    key += '\n';
    key += source;
    return key;
}

}  // namespace

TextCatalogue::TextCatalogue(std::vector<CatalogueMessage> messages) : m_messages(std::move(messages)) {
    for (std::size_t i = 0; i < m_messages.size(); ++i) {
        const std::string_view shown = shownText(m_messages[i]);
        m_byOrigin.emplace(OriginKey(m_messages[i].context, m_messages[i].source), i);
        if (!HasMarker(shown)) {
            m_plain.emplace(std::string(shown), i);
        } else if (const auto literals = Split(shown).literals;
                   std::any_of(literals.begin(), literals.end(), [](std::string_view l) { return !l.empty(); })) {
            // A message of markers alone would claim every text.
            m_patterns.push_back(i);
        }
    }
}

std::string_view TextCatalogue::shownText(const CatalogueMessage& message) const {
    return message.translation.empty() ? message.source : message.translation;
}

std::optional<TextOrigin> TextCatalogue::identify(std::string_view shown, std::string_view preferredContext) const {
    if (shown.empty()) return std::nullopt;
    std::optional<TextOrigin> found;
    const auto consider = [&](std::size_t i, std::vector<std::string> arguments) {
        const CatalogueMessage& m = m_messages[i];
        if (found && found->context == preferredContext) return;
        if (found && m.context != preferredContext) return;
        found = TextOrigin{m.context, m.source, std::move(arguments)};
    };
    const auto [begin, end] = m_plain.equal_range(std::string(shown));
    for (auto it = begin; it != end; ++it) consider(it->second, {});
    if (found) return found;
    for (const std::size_t i : m_patterns) {
        if (auto arguments = Match(shownText(m_messages[i]), shown)) consider(i, std::move(*arguments));
    }
    return found;
}

std::string TextCatalogue::render(const TextOrigin& origin) const {
    const auto it = m_byOrigin.find(OriginKey(origin.context, origin.source));
    return Fill(it == m_byOrigin.end() ? std::string_view(origin.source) : shownText(m_messages[it->second]),
                origin.arguments);
}

std::optional<std::string> Retranslate(const TextCatalogue& from, const TextCatalogue& to, std::string_view shown,
                                       std::string_view preferredContext) {
    std::optional<TextOrigin> origin = from.identify(shown, preferredContext);
    if (!origin) return std::nullopt;
    for (std::string& argument : origin->arguments) {
        // Each argument is shorter than the text it came from: this ends.
        if (auto said = Retranslate(from, to, argument, preferredContext)) argument = std::move(*said);
    }
    return to.render(*origin);
}

}  // namespace varnelo
