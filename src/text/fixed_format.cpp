#include "text/fixed_format.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

namespace varnelo {

namespace {

static_assert(std::numeric_limits<float>::is_iec559 && std::numeric_limits<double>::is_iec559);

constexpr std::uint64_t POWERS_OF_TEN_64[20] = {
    1u,          10u,          100u,          1000u,          10000u,          100000u,          1000000u,
    10000000u,   100000000u,   1000000000u,   10000000000u,   100000000000u,   1000000000000u,   10000000000000u,
    100000000000000u,          1000000000000000u,             10000000000000000u,
    100000000000000000u,       1000000000000000000u,          10000000000000000000u,
};

constexpr char DIGIT_PAIRS[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

// Writes the decimal digits of v so that they end just before `end`.
void DigitsBackwards(char* end, std::uint64_t v) {
    while (v >= 100) {
        const auto pair = static_cast<unsigned>(v % 100);
        v /= 100;
        end -= 2;
        std::memcpy(end, DIGIT_PAIRS + 2 * pair, 2);
    }
    if (v >= 10) {
        end -= 2;
        std::memcpy(end, DIGIT_PAIRS + 2 * v, 2);
    } else {
        *--end = static_cast<char>('0' + v);
    }
}

// Exactly `count` digits of v, with leading zeros, ending just before `end`.
void FixedDigitsBackwards(char* end, std::uint64_t v, int count) {
    for (; count >= 2; count -= 2) {
        const auto pair = static_cast<unsigned>(v % 100);
        v /= 100;
        end -= 2;
        std::memcpy(end, DIGIT_PAIRS + 2 * pair, 2);
    }
    if (count == 1) *--end = static_cast<char>('0' + v % 10);
}

char* PadTo(char* out, std::size_t length, int width) {
    if (length < static_cast<std::size_t>(width)) {
        const std::size_t blanks = static_cast<std::size_t>(width) - length;
        std::memset(out, ' ', blanks);
        out += blanks;
    }
    return out;
}

char* WriteText(char* out, const char* text, std::size_t length, int width) {
    out = PadTo(out, length, width);
    std::memcpy(out, text, length);
    return out + length;
}

char* WriteNonFinite(char* out, double value, int width) {
    if (std::isnan(value)) return WriteText(out, "nan", 3, width);
    return value < 0 ? WriteText(out, "-inf", 4, width) : WriteText(out, "inf", 3, width);
}

int ClampDecimals(int decimals) { return std::clamp(decimals, 0, FIXED_DECIMALS_MAX); }
int ClampWidth(int width) { return std::clamp(width, 0, FIXED_WIDTH_MAX); }

// The exact printf text, through the standard library's exact and
// locale-independent conversion.
char* FormatExactly(char* out, double value, int decimals, int width) {
    char text[DOUBLE_FIXED_TEXT_MAX];
    const auto result = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals);
    return WriteText(out, text, static_cast<std::size_t>(result.ptr - text), width);
}

// Digits of v (v < 10^19).
int DigitCount(std::uint64_t v) {
    v |= 1;  // 0 has one digit, like 1
    const int guess = (std::bit_width(v) * 1233) >> 12;  // floor(log10 v), or one less
    return guess + (v >= POWERS_OF_TEN_64[guess] ? 1 : 0);
}

}  // namespace

template <int Decimals>
char* FormatFloatFixed(char* out, float value, int width) {
    if (!std::isfinite(value)) return WriteNonFinite(out, value, width);

    // A float times 10^Decimals is exact in a double (24 significant bits
    // and at most 21 more for 5^9), so rounding that product to an integer,
    // half to even on a tie, is exactly what printf does to the decimal value.
    constexpr std::uint64_t scale = POWERS_OF_TEN_64[Decimals];
    const double scaled = std::fabs(static_cast<double>(value)) * static_cast<double>(scale);
    if (!(scaled < 0x1p63)) return FormatExactly(out, static_cast<double>(value), Decimals, width);
    auto units = static_cast<std::uint64_t>(static_cast<std::int64_t>(scaled));
    const double fraction = scaled - static_cast<double>(units);  // exact
    // Without branches: the fraction is as good as random in real data.
    units += static_cast<std::uint64_t>((fraction > 0.5) | ((fraction == 0.5) & ((units & 1) != 0)));

    const std::uint64_t whole = units / scale;
    const auto part = static_cast<unsigned>(units % scale);
    const int wholeDigits = DigitCount(whole);
    const bool negative = std::signbit(value);
    const std::size_t length =
        (negative ? 1u : 0u) + static_cast<std::size_t>(wholeDigits) + (Decimals > 0 ? 1u + Decimals : 0u);

    out = PadTo(out, length, width);
    if (negative) *out++ = '-';
    out += wholeDigits;
    DigitsBackwards(out, whole);
    if constexpr (Decimals > 0) {
        *out++ = '.';
        out += Decimals;
        FixedDigitsBackwards(out, part, Decimals);
    }
    return out;
}

template <int Decimals>
char* FormatFloatRun(char* out, std::span<const float> values, int width, char separator) {
    for (const float value : values) {
        out = FormatFloatFixed<Decimals>(out, value, width);
        *out++ = separator;
    }
    return out;
}

template char* FormatFloatRun<1>(char*, std::span<const float>, int, char);
template char* FormatFloatRun<2>(char*, std::span<const float>, int, char);
template char* FormatFloatRun<3>(char*, std::span<const float>, int, char);

template char* FormatFloatFixed<0>(char*, float, int);
template char* FormatFloatFixed<1>(char*, float, int);
template char* FormatFloatFixed<2>(char*, float, int);
template char* FormatFloatFixed<3>(char*, float, int);
template char* FormatFloatFixed<4>(char*, float, int);
template char* FormatFloatFixed<5>(char*, float, int);
template char* FormatFloatFixed<6>(char*, float, int);
template char* FormatFloatFixed<7>(char*, float, int);
template char* FormatFloatFixed<8>(char*, float, int);
template char* FormatFloatFixed<9>(char*, float, int);

namespace {

using FloatFormatter = char* (*)(char*, float, int);
constexpr FloatFormatter FLOAT_FORMATTERS[FIXED_DECIMALS_MAX + 1] = {
    FormatFloatFixed<0>, FormatFloatFixed<1>, FormatFloatFixed<2>, FormatFloatFixed<3>, FormatFloatFixed<4>,
    FormatFloatFixed<5>, FormatFloatFixed<6>, FormatFloatFixed<7>, FormatFloatFixed<8>, FormatFloatFixed<9>,
};

}  // namespace

char* FormatFixed(char* out, float value, int decimals, int width) {
    return FLOAT_FORMATTERS[ClampDecimals(decimals)](out, value, ClampWidth(width));
}

char* FormatFixed(char* out, double value, int decimals, int width) {
    decimals = ClampDecimals(decimals);
    width = ClampWidth(width);
    if (!std::isfinite(value)) return WriteNonFinite(out, value, width);
    return FormatExactly(out, value, decimals, width);
}

char* FormatInt(char* out, std::int32_t value) {
    const auto result = std::to_chars(out, out + INT32_TEXT_MAX, value);
    return result.ptr;
}

}  // namespace varnelo
