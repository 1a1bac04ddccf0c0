#pragma once
// The language of the user interface: Japanese, the language the texts are
// written in, unless a translation is chosen on the command line, by the
// environment or in the profile, in that order of precedence.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace varnelo {

// The language of the program's own texts, which needs no translation.
inline constexpr std::string_view SOURCE_LANGUAGE = "ja";

// The language a user's text names, among the available ones: "en", "EN",
// "en_GB.UTF-8" and "en-US" all name "en". Nothing when it names none of them.
std::optional<std::string> LanguageCode(std::string_view text, const std::vector<std::string>& available);

struct LanguageChoice {
    enum class From { Default, Profile, Environment, CommandLine };
    std::string code;
    From from = From::Default;
};

// The first of command line, environment and profile that names an available
// language; a value naming none is passed over (the command line's is refused
// before this, as a usage error).
LanguageChoice ChooseLanguage(std::optional<std::string_view> commandLine, std::optional<std::string_view> environment,
                              std::optional<std::string_view> profile, const std::vector<std::string>& available);

}  // namespace varnelo
