// Values quoted in messages: one line whatever they hold, cut short
// without splitting a character.
#include <gtest/gtest.h>

#include "text/message_text.h"

namespace varnelo {
namespace {

TEST(MessageText, AwkwardValuesStayOneShortLine) {
    const std::string forty(40, 'a');
    const struct {
        std::string value;
        std::size_t max;
        std::string shown;
    } cases[] = {
        {"s2a", MESSAGE_VALUE_MAX, "s2a"},
        {forty, MESSAGE_VALUE_MAX, forty},
        {forty + "b", MESSAGE_VALUE_MAX, forty + "..."},
        {std::string("a\0b", 3), 10, "a\\0b"},
        {"line\r\nnext\tcell", 20, "line\\r\\nnext\\tcell"},
        {"\x1B[2J\x7F\x01", 10, "\\x1B[2J\\x7F\\x01"},
        {"\xC2\x9B" "31m", 10, "\\xC2\\x9B31m"},  // the 8-bit CSI in UTF-8
        {"日本語の名前", 3, "日本語..."},           // characters, not bytes
        {"caf\xE9 \xFF", 10, "caf\xE9 \xFF"},        // a Latin-1 name keeps its bytes
        {std::string(100, '\x89'), 3, "\x89\x89\x89..."},  // stray continuation bytes count too
        {std::string(1 << 20, '\n'), 2, "\\n\\n..."},
        {"", 0, ""},
        {"x", 0, "..."},
    };
    for (const auto& c : cases) EXPECT_EQ(MessageText(c.value, c.max), c.shown) << c.shown;
    EXPECT_EQ(QuotedValue("nd:700:700"), "'nd:700:700'");
    EXPECT_EQ(MessageText(std::string(300, '/'), MESSAGE_UNCUT).size(), 300u);
}

}  // namespace
}  // namespace varnelo
