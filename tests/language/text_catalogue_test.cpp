#include "language/text_catalogue.h"

#include <gtest/gtest.h>

namespace varnelo {
namespace {

// A few messages as they stand in a translation, and the same read as
// their source (Japanese) reads them.
std::vector<CatalogueMessage> Messages() {
    return {
        {"Frame", "終了", "closing"},
        {"Dialog", "終了", "Close"},
        {"Frame", "レディ", "Ready"},
        {"Frame", "無題", ""},  // not translated yet: shows its source
        {"View", "%1 件のレコードを読み出しました", "%1 records downloaded"},
        {"View", "読み出しを中止しました (%1 件読み出し済み): %2", "Download stopped (%1 records read): %2"},
        {"View", "レコード %1 で読み出しが止まりました (%2 件を読み出し済み): %3",
         "Download stopped at record %1 (%2 records read): %3"},
        {"View", "%2 と %1", "%1 and %2"},  // markers in another order
        {"View", "%1", "%1"},               // markers alone claim nothing
    };
}

TextCatalogue Source() {
    std::vector<CatalogueMessage> messages = Messages();
    for (CatalogueMessage& m : messages) m.translation.clear();
    return TextCatalogue(messages);
}

TEST(TextCatalogue, ATextOnTheScreenIsSaidAgainInTheOtherLanguage) {
    const TextCatalogue japanese = Source();
    const TextCatalogue english(Messages());
    struct Case {
        const char* japanese;
        const char* english;
        const char* context;
    };
    const Case cases[] = {
        {"レディ", "Ready", "Frame"},
        // The same words in two contexts: the widget's own context decides.
        {"終了", "closing", "Frame"},
        {"終了", "Close", "Dialog"},
        // Values in markers keep their places, in either order.
        {"12 件のレコードを読み出しました", "12 records downloaded", "View"},
        {"レコード 7 で読み出しが止まりました (7 件を読み出し済み): no reply",
         "Download stopped at record 7 (7 records read): no reply", "View"},
        {"b と a", "a and b", "View"},
        // An argument that is a message itself is said again as well.
        {"読み出しを中止しました (3 件読み出し済み): 終了", "Download stopped (3 records read): closing", "View"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Retranslate(japanese, english, c.japanese, c.context), c.english) << c.japanese;
        EXPECT_EQ(Retranslate(english, japanese, c.english, c.context), c.japanese) << c.english;
    }
}

TEST(TextCatalogue, TextsThatAreNoMessageAreLeftAlone) {
    const TextCatalogue japanese = Source();
    const TextCatalogue english(Messages());
    for (const char* text : {"", "field.vrnldata", "CAP", "-----/-----", "1 件のレコード", "終了 "}) {
        EXPECT_FALSE(Retranslate(japanese, english, text, "Frame")) << text;
    }
    // An untranslated message reads as its source in both languages.
    EXPECT_EQ(Retranslate(english, japanese, "無題", "Frame"), "無題");
    EXPECT_EQ(Retranslate(japanese, english, "無題", "Frame"), "無題");
}

}  // namespace
}  // namespace varnelo
