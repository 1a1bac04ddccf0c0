#include "charts/number_text.h"

#include <array>
#include <charconv>
#include <cmath>

namespace varnelo {

namespace {

std::string PadLeft(std::string_view text, int width) {
    std::string out;
    if (width > 0 && static_cast<std::size_t>(width) > text.size()) out.assign(static_cast<std::size_t>(width) - text.size(), ' ');
    out += text;
    return out;
}

}  // namespace

std::string FormatInt(long long value, int width) {
    std::array<char, 24> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    return PadLeft(std::string_view(buffer.data(), static_cast<std::size_t>(result.ptr - buffer.data())), width);
}

std::string FormatFixed(double value, int width, int precision) {
    if (std::isnan(value)) return PadLeft("nan", width);
    // The largest double has 309 integer digits; the precision is held to
    // what any caller could want, so the buffer always suffices.
    if (precision < 0) precision = 6;
    if (precision > 60) precision = 60;
    std::array<char, 400> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value, std::chars_format::fixed, precision);
    if (result.ec != std::errc()) return PadLeft("?", width);
    return PadLeft(std::string_view(buffer.data(), static_cast<std::size_t>(result.ptr - buffer.data())), width);
}

}  // namespace varnelo
