#include <gtest/gtest.h>

#include "text/message_fit.h"

namespace varnelo {
namespace {

// One unit a character, whatever its bytes.
int Characters(std::string_view text) {
    int n = 0;
    for (const char c : text) n += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return n;
}

TEST(MessageFit, APathLosesItsMiddleFoldersFirstThenWholeWordsGo) {
    const struct { const char* text; int room; const char* shown; } cases[] = {
        {"Saved /home/ann/day.vrnldata", 40, "Saved /home/ann/day.vrnldata"},
        {"Exported 3 records to CSV: /home/ann/field/2026/july/day.csv", 50,
         "Exported 3 records to CSV: /home/…/july/day.csv"},
        {"Exported 3 records to CSV: /home/ann/field/2026/july/day.csv", 44, "Exported 3 records to CSV: /…/july/day.csv"},
        {"/data/a-folder/b-folder/pipe.vrnldata: not a regular file", 48,
         "/…/b-folder/pipe.vrnldata: not a regular file"},
        {"C:\\Users\\ann\\logs\\day.vrnldata を保存しました", 30, "C:\\…\\logs\\day.vrnldata を保存しました"},
        {"The logger stopped answering at record 120 of 300", 30, "The logger stopped answering…"},
        {"レコード 120 で読み出しが止まりました (120 件を読み出し済み)", 20, "レコード 120 で読み出しが止まりま…"},
        {"Exported to CSV: /a/b/c/a-very-long-file-name-indeed.csv", 20, "Exported to CSV:…"},
    };
    for (const auto& c : cases) {
        const std::string shown = FitMessage(c.text, c.room, Characters);
        EXPECT_EQ(shown, c.shown) << c.text;
        EXPECT_LE(Characters(shown), c.room) << c.text;
    }
}

}  // namespace
}  // namespace varnelo
