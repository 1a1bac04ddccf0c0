#pragma once
// Chart labels and readouts: "%*d" and "%*.*f" of the "C" locale as text,
// through the one locale-free number formatting of the core.

#include <array>
#include <cstdint>
#include <string>

#include "export/fixed_format.h"

namespace varnelo {

// printf("%*d", width, value).
inline std::string IntText(std::int32_t value, int width) {
    std::array<char, INT32_TEXT_MAX> digits{};
    char* end = FormatInt(digits.data(), value);
    std::string text(digits.data(), end);
    if (width > static_cast<int>(text.size())) text.insert(0, static_cast<std::size_t>(width) - text.size(), ' ');
    return text;
}

// printf("%*.*f", width, decimals, value); a NaN reads "nan".
inline std::string FixedText(double value, int width, int decimals) {
    std::array<char, DOUBLE_FIXED_TEXT_MAX> text{};
    return std::string(text.data(), FormatFixed(text.data(), value, decimals, width));
}

}  // namespace varnelo
