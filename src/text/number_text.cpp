#include "text/number_text.h"

#include <array>
#include <cctype>
#include <charconv>
#include <cmath>

#include "text/fixed_format.h"

namespace varnelo {

namespace {

std::string PadLeft(std::string text, int width) {
    if (width > static_cast<int>(text.size())) text.insert(0, static_cast<std::size_t>(width) - text.size(), ' ');
    return text;
}

}  // namespace

std::string IntText(std::int32_t value, int width) {
    std::array<char, INT32_TEXT_MAX> digits{};
    return PadLeft(std::string(digits.data(), FormatInt(digits.data(), value)), width);
}

std::string FixedText(double value, int width, int decimals) {
    std::array<char, DOUBLE_FIXED_TEXT_MAX> text{};
    return std::string(text.data(), FormatFixed(text.data(), value, decimals, width));
}

std::string ScientificText(double value) {
    constexpr int WIDTH = 15;
    constexpr int DECIMALS = 8;
    std::array<char, 64> digits{};
    const auto end =
        std::to_chars(digits.data(), digits.data() + digits.size(), value, std::chars_format::scientific, DECIMALS).ptr;
    std::string text(digits.data(), end);
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));  // E, INF, NAN
    if (text.front() != '-') text.insert(text.begin(), '+');
    return PadLeft(std::move(text), WIDTH);
}

}  // namespace varnelo
