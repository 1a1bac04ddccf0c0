#include "text/fixed_format.h"

#include <algorithm>
#include <array>
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

// |value| · 10^Decimals rounded to an integer, for a finite value whose
// product stays below 2^52; anything else gives NOT_ROUNDED. A float times
// 10^Decimals is exact in a double (24 significant bits and at most 21 more
// for 5^9), so rounding that product, half to even on a tie, is exactly what
// printf does to the decimal value.
constexpr std::uint64_t NOT_ROUNDED = ~std::uint64_t{0};

template <int Decimals>
inline std::uint64_t RoundedUnits(float value) {
    const double scaled = std::fabs(static_cast<double>(value)) * static_cast<double>(POWERS_OF_TEN_64[Decimals]);
    if (!(scaled < 0x1p52)) return NOT_ROUNDED;  // also infinities and NaNs
    // Beside 2^52 a double keeps no bits below the units: the addition does
    // the rounding, to nearest and half to even in the default rounding
    // mode (which nothing here changes), and leaves the units in the low
    // bits of the sum. A sum that
    // rounds up to 2^53 carries into the exponent, which is the same number.
    const double shifted = scaled + 0x1p52;
    return std::bit_cast<std::uint64_t>(shifted) - std::bit_cast<std::uint64_t>(0x1p52);
}

// The eight decimal digits of v (v < 10^8) as the bytes of one word, the
// most significant digit in the lowest byte (the first in memory on a
// little-endian host), each 0..9. Splits into halves, quarters and single
// digits in all lanes at once: multiplications by 10486 / 2^20 and
// 103 / 2^10 divide by 100 and 10 exactly in the ranges the lanes hold.
inline std::uint64_t EightDigits(std::uint32_t v) {
    // Below 10^4 (reflectances, small counts) the upper half is zero and the
    // first split can be skipped: a shorter chain for the commonest values.
    std::uint64_t lanes = static_cast<std::uint64_t>(v) << 32;
    if (v >= 10000) lanes = (v / 10000) | (static_cast<std::uint64_t>(v % 10000) << 32);
    std::uint64_t high = ((lanes * 10486) >> 20) & 0x0000007F0000007Full;
    lanes = high | ((lanes - high * 100) << 16);
    high = ((lanes * 103) >> 10) & 0x000F000F000F000Full;
    return high | ((lanes - high * 10) << 8);
}

// The four digits of 0..9999, leading zeros included, as the bytes of one
// word (the first digit in the lowest byte, on a little-endian host).
constexpr auto FOUR_DIGITS = [] {
    std::array<std::uint32_t, 10000> texts{};
    for (std::uint32_t v = 0; v < texts.size(); ++v)
        texts[v] = (v / 1000 + '0') | (v / 100 % 10 + '0') << 8 | (v / 10 % 10 + '0') << 16 | (v % 10 + '0') << 24;
    return texts;
}();

constexpr std::uint64_t EIGHT_DIGITS_LIMIT = 100000000;
constexpr std::uint64_t ASCII_ZEROS = 0x3030303030303030ull;

// Texts of units / 10^Decimals laid out in one register: eight digits at
// most, a fraction that moves as one 4-byte word, a little-endian host. Such
// texts are at least NO_PADDING_WIDTH bytes long and so are never padded up
// to a width of at most that (the export's widths of 3 never pad).
template <int Decimals>
constexpr bool REGISTER_LAYOUT = std::endian::native == std::endian::little && Decimals <= 4;
template <int Decimals>
constexpr int NO_PADDING_WIDTH = Decimals > 0 ? Decimals + 2 : 1;

// The text of units / 10^Decimals, sign included, for units < 10^8 with a
// REGISTER_LAYOUT. The digits are stored as whole words, which may
// overwrite up to 13 bytes from `out` past the text's end.
template <int Decimals>
inline char* WriteEightDigitUnits(char* out, std::uint64_t units, bool negative) {
    const std::uint64_t digits = EightDigits(static_cast<std::uint32_t>(units));
    const int leadingZeros = digits == 0 ? 8 : std::countr_zero(digits) / 8;
    const int shown = std::max(8 - leadingZeros, Decimals + 1);  // one digit before the point at least
    const std::uint64_t text = (digits >> (8 * (8 - shown))) | ASCII_ZEROS;
    *out = '-';
    out += negative ? 1 : 0;
    std::memcpy(out, &text, sizeof text);
    if constexpr (Decimals == 0) {
        return out + shown;
    } else {
        // The fraction's digits move up one place to make room for the point.
        const int whole = shown - Decimals;
        const auto fraction = static_cast<std::uint32_t>(text >> (8 * whole));
        std::memcpy(out + whole + 1, &fraction, sizeof fraction);
        out[whole] = '.';
        return out + shown + 1;
    }
}

// The text of units / 10^Decimals with exactly Digits digits, then the
// separator, for units < 10^Digits, written as one word. A run's values
// mostly keep the length of their neighbours, so a length known when
// compiled and digits looked up four at a time leave little but a few
// shifts; the table's 40 kB stay in the cache over a whole export.
template <int Decimals, int Digits>
inline char* WriteFixedDigits(char* out, std::uint64_t units, bool negative, char separator) {
    static_assert(Digits > Decimals && Digits + 2 <= 8);
    std::uint64_t text = 0;
    if constexpr (Digits <= 4) {
        text = FOUR_DIGITS[units] >> (8 * (4 - Digits));
    } else {
        const std::uint64_t high = units / 10000;
        text = (FOUR_DIGITS[high] >> (8 * (8 - Digits))) |
               (std::uint64_t{FOUR_DIGITS[units - high * 10000]} << (8 * (Digits - 4)));
    }
    constexpr int whole = Digits - Decimals;
    constexpr std::uint64_t wholeBytes = (std::uint64_t{1} << (8 * whole)) - 1;
    const std::uint64_t word = (text & wholeBytes) | (std::uint64_t{'.'} << (8 * whole)) |
                               ((text & ~wholeBytes) << 8) |
                               (std::uint64_t{static_cast<unsigned char>(separator)} << (8 * (Digits + 1)));
    *out = '-';
    out += negative ? 1 : 0;
    std::memcpy(out, &word, sizeof word);
    return out + Digits + 2;
}

// One value of a run and its separator: the fixed length that fits the
// units, else the general way.
template <int Decimals, int Digits = Decimals + 1>
inline char* WriteRunValue(char* out, float value, std::uint64_t units, int width, char separator) {
    if (units < POWERS_OF_TEN_64[Digits])
        return WriteFixedDigits<Decimals, Digits>(out, units, std::signbit(value), separator);
    if constexpr (Digits < 6) {
        return WriteRunValue<Decimals, Digits + 1>(out, value, units, width, separator);
    } else {
        out = FormatFloatFixed<Decimals>(out, value, width);
        *out++ = separator;
        return out;
    }
}

// Any finite value through digit pairs, padded to the width.
template <int Decimals>
char* WriteUnits(char* out, std::uint64_t units, bool negative, int width) {
    constexpr std::uint64_t scale = POWERS_OF_TEN_64[Decimals];
    const std::uint64_t whole = units / scale;
    const auto part = static_cast<unsigned>(units % scale);
    const int wholeDigits = DigitCount(whole);
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

}  // namespace

template <int Decimals>
char* FormatFloatFixed(char* out, float value, int width) {
    const std::uint64_t units = RoundedUnits<Decimals>(value);
    if (units == NOT_ROUNDED) {
        if (!std::isfinite(value)) return WriteNonFinite(out, value, width);
        return FormatExactly(out, static_cast<double>(value), Decimals, width);
    }
    const bool negative = std::signbit(value);
    if constexpr (REGISTER_LAYOUT<Decimals>) {
        if (units < EIGHT_DIGITS_LIMIT && width <= NO_PADDING_WIDTH<Decimals>)
            return WriteEightDigitUnits<Decimals>(out, units, negative);
    }
    return WriteUnits<Decimals>(out, units, negative, width);
}

template <int Decimals>
char* FormatFloatRun(char* out, std::span<const float> values, int width, char separator) {
    std::size_t k = 0;
    if (REGISTER_LAYOUT<Decimals> && width <= NO_PADDING_WIDTH<Decimals>) {
        // Two values at a time: rounding both before writing either lets
        // the processor work on them side by side.
        for (; k + 1 < values.size(); k += 2) {
            const std::uint64_t first = RoundedUnits<Decimals>(values[k]);
            const std::uint64_t second = RoundedUnits<Decimals>(values[k + 1]);
            out = WriteRunValue<Decimals>(out, values[k], first, width, separator);
            out = WriteRunValue<Decimals>(out, values[k + 1], second, width, separator);
        }
    }
    for (; k < values.size(); ++k) {
        out = FormatFloatFixed<Decimals>(out, values[k], width);
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
