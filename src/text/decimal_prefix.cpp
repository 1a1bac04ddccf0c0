#include "text/decimal_prefix.h"

#include <charconv>
#include <limits>
#include <system_error>

namespace varnelo {

namespace {

bool IsDigit(std::uint8_t c) { return c >= '0' && c <= '9'; }

// The white space of the "C" locale.
bool IsCSpace(std::uint8_t c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

}  // namespace

std::optional<double> ReadDecimalNumber(std::span<const std::uint8_t> text) {
    const std::uint8_t* p = text.data();
    const std::uint8_t* const end = p + text.size();

    while (p < end && IsCSpace(*p)) ++p;
    bool negative = false;
    if (p < end && (*p == '+' || *p == '-')) {
        negative = *p == '-';
        ++p;
    }

    // Decimal magnitude of the first non-zero digit, kept to tell an overflow
    // from an underflow when the value does not fit a double.
    const std::uint8_t* const first = p;
    long long leadingPosition = 0;  // digits before the point, from the first non-zero one
    bool seenNonZero = false;
    bool anyDigit = false;
    while (p < end && IsDigit(*p)) {
        anyDigit = true;
        if (*p != '0') seenNonZero = true;
        if (seenNonZero) ++leadingPosition;
        ++p;
    }
    if (p < end && *p == '.') {
        ++p;
        while (p < end && IsDigit(*p)) {
            anyDigit = true;
            if (!seenNonZero) {
                if (*p != '0') seenNonZero = true;
                else --leadingPosition;
            }
            ++p;
        }
    }
    if (!anyDigit) return std::nullopt;

    long long exponent = 0;
    if (p < end && (*p == 'e' || *p == 'E')) {
        const std::uint8_t* q = p + 1;
        bool negativeExponent = false;
        if (q < end && (*q == '+' || *q == '-')) {
            negativeExponent = *q == '-';
            ++q;
        }
        if (q < end && IsDigit(*q)) {
            while (q < end && IsDigit(*q)) {
                if (exponent < 1'000'000'000) exponent = exponent * 10 + (*q - '0');
                ++q;
            }
            if (negativeExponent) exponent = -exponent;
            p = q;
        }
    }

    double value = 0.0;
    const auto result = std::from_chars(reinterpret_cast<const char*>(first), reinterpret_cast<const char*>(p), value,
                                        std::chars_format::general);
    if (result.ec == std::errc::result_out_of_range) {
        value = seenNonZero && leadingPosition + exponent > 0 ? std::numeric_limits<double>::infinity() : 0.0;
    } else if (result.ec != std::errc{}) {
        value = 0.0;
    }
    return negative ? -value : value;
}

double ReadDecimalPrefix(std::span<const std::uint8_t> text) { return ReadDecimalNumber(text).value_or(0.0); }

}  // namespace varnelo
