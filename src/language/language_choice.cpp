#include "language/language_choice.h"

#include <algorithm>
#include <cctype>

namespace varnelo {

std::optional<std::string> LanguageCode(std::string_view text, const std::vector<std::string>& available) {
    // The language part of a locale name: up to the territory, code set or modifier.
    const std::size_t end = text.find_first_of("_-.@");
    std::string code(text.substr(0, end));
    std::transform(code.begin(), code.end(), code.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (code.empty() || std::find(available.begin(), available.end(), code) == available.end()) return std::nullopt;
    return code;
}

LanguageChoice ChooseLanguage(std::optional<std::string_view> commandLine, std::optional<std::string_view> environment,
                              std::optional<std::string_view> profile, const std::vector<std::string>& available) {
    const std::pair<std::optional<std::string_view>, LanguageChoice::From> sources[] = {
        {commandLine, LanguageChoice::From::CommandLine},
        {environment, LanguageChoice::From::Environment},
        {profile, LanguageChoice::From::Profile},
    };
    for (const auto& [text, from] : sources) {
        if (!text) continue;
        if (auto code = LanguageCode(*text, available)) return {std::move(*code), from};
    }
    return {std::string(SOURCE_LANGUAGE), LanguageChoice::From::Default};
}

}  // namespace varnelo
