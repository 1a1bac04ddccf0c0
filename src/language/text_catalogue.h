#pragma once
// The texts of the user interface in one language, so that a text already
// on the screen can be said again in another language: its message is found
// by how it reads now, also when values were put into its %1, %2 ... markers
// ("%1 件のレコードを読み出しました" shown as "12 件のレコードを読み出しました"),
// and is then written out in the other language with the same values.

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace varnelo {

struct CatalogueMessage {
    std::string context;      // the class whose tr() says it
    std::string source;       // the text as written in the program (Japanese)
    std::string translation;  // empty: not translated, the source is shown
};

// A text on the screen, traced back to its message.
struct TextOrigin {
    std::string context;
    std::string source;
    std::vector<std::string> arguments;  // arguments[0] went into %1
};

class TextCatalogue {
public:
    explicit TextCatalogue(std::vector<CatalogueMessage> messages);

    // The message that reads as shown, preferring one of the given context
    // when the same words belong to several; nothing for a text that is no
    // message of this catalogue (a file name, a number, a logger's reply).
    std::optional<TextOrigin> identify(std::string_view shown, std::string_view preferredContext) const;
    // How the message reads in this catalogue's language with its arguments;
    // a message this language lacks reads as its source, as tr() gives it.
    std::string render(const TextOrigin& origin) const;

private:
    std::string_view shownText(const CatalogueMessage& message) const;

    std::vector<CatalogueMessage> m_messages;
    std::unordered_multimap<std::string, std::size_t> m_plain;  // shown text -> message without markers
    std::vector<std::size_t> m_patterns;                        // messages with markers
    std::unordered_map<std::string, std::size_t> m_byOrigin;    // context + '\n' + source -> message
};

// The shown text of one language in the other: nothing when it is not from
// the catalogue. Arguments that are messages themselves ("読み出しを中止しました
// (%1 件読み出し済み): %2" with %2 = "終了") are said again too.
std::optional<std::string> Retranslate(const TextCatalogue& from, const TextCatalogue& to, std::string_view shown,
                                       std::string_view preferredContext);

}  // namespace varnelo
