// File names cross between bytes and text without losing a byte, whatever
// their encoding; UTF-8 names read as the characters they are.
#include <gtest/gtest.h>

#include <QUrl>

#include "launch/path_text.h"

namespace varnelo {
namespace {

TEST(PathText, EveryNameComesBackByteForByte) {
    const struct {
        const char* what;
        std::string bytes;
        QString text;  // what it reads as, where it is plain UTF-8
    } cases[] = {
        {"ASCII", "/data/day1.vrnldata", QStringLiteral("/data/day1.vrnldata")},
        {"UTF-8 Japanese", "/データ/日曜.vrnldata", QStringLiteral("/データ/日曜.vrnldata")},
        {"a four-byte character", "\xF0\x9F\x8C\xBF.vrnldata", QString::fromUtf8("\xF0\x9F\x8C\xBF.vrnldata")},
        {"Shift-JIS", "\x93\xfa\x97\x6a.vrnldata", {}},
        {"Latin-1", "dl\xfe.vrnldata", {}},
        {"a lone continuation byte", "a\x80z", {}},
        {"a sequence cut short", "a\xE3\x83", {}},
        {"an overlong slash", "a\xC0\xAFz", {}},
        {"an encoded surrogate", "\xED\xA0\x80", {}},
        {"past U+10FFFF", "\xF4\x90\x80\x80", {}},
        {"every byte above 0x7F", [] {
             std::string all;
             for (int b = 0x80; b <= 0xFF; ++b) all.push_back(static_cast<char>(b));
             return all;
         }(), {}},
    };
    for (const auto& c : cases) {
        const QString text = TextOfPathBytes(c.bytes);
        EXPECT_EQ(PathBytesOfText(text).toStdString(), c.bytes) << c.what;
        EXPECT_EQ(ToPath(text).native(), c.bytes) << c.what;
        EXPECT_EQ(FromPath(ToPath(text)), text) << c.what;
        if (!c.text.isEmpty()) {
            EXPECT_EQ(text, c.text) << c.what;
        }
    }
    EXPECT_EQ(ArgumentText(nullptr), QString());
}

TEST(PathText, ADroppedFileKeepsItsBytes) {
    const QUrl url(QStringLiteral("file:///tmp/dl%FE%20x.vrnldata"));
    EXPECT_EQ(ToPath(LocalFileOfUrl(url)).native(), "/tmp/dl\xfe x.vrnldata");
    EXPECT_EQ(LocalFileOfUrl(QUrl(QStringLiteral("http://localhost/a.vrnldata"))), QString());
}

}  // namespace
}  // namespace varnelo
