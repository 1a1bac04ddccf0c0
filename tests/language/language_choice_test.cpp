#include "language/language_choice.h"

#include <gtest/gtest.h>

namespace varnelo {
namespace {

const std::vector<std::string> AVAILABLE = {"ja", "en"};
using From = LanguageChoice::From;
using Text = std::optional<std::string_view>;

TEST(LanguageChoice, ThePrecedenceIsCommandLineEnvironmentProfileThenJapanese) {
    struct Case {
        Text commandLine, environment, profile;
        std::string code;
        From from;
    };
    const Case cases[] = {
        {{}, {}, {}, "ja", From::Default},
        {{}, {}, "en", "en", From::Profile},
        {{}, "en", "ja", "en", From::Environment},
        {"ja", "en", "en", "ja", From::CommandLine},
        {"en", {}, {}, "en", From::CommandLine},
        // Locale-style values name their language.
        {{}, "en_GB.UTF-8", {}, "en", From::Environment},
        {{}, "EN", {}, "en", From::Environment},
        {{}, "ja-JP", {}, "ja", From::Environment},
        // A value that names no built-in language is passed over.
        {{}, "de", "en", "en", From::Profile},
        {{}, "", "en", "en", From::Profile},
        {{}, "C", {}, "ja", From::Default},
        {{}, {}, "klingon", "ja", From::Default},
    };
    for (const Case& c : cases) {
        const LanguageChoice choice = ChooseLanguage(c.commandLine, c.environment, c.profile, AVAILABLE);
        EXPECT_EQ(choice.code, c.code) << c.commandLine.value_or("-") << " " << c.environment.value_or("-") << " "
                                       << c.profile.value_or("-");
        EXPECT_EQ(choice.from, c.from) << c.code;
    }
}

TEST(LanguageChoice, AThirdTranslationIsChosenOnceItIsBuiltIn) {
    EXPECT_FALSE(LanguageCode("de_DE", AVAILABLE));
    EXPECT_EQ(LanguageCode("de_DE", {"ja", "en", "de"}), "de");
}

}  // namespace
}  // namespace varnelo
