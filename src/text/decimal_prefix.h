#pragma once
// Text to number the way the C library's conversion reads it in the "C"
// locale, without depending on the process locale: leading white space is
// skipped, an optional sign, then the longest prefix that forms a decimal
// number (digits, an optional point with digits, an optional exponent); 0 when
// there is none.
//
// Only decimal notation counts: "inf", "nan" and "0x..." are not numbers here
// ("0x1A" reads as its leading "0"). A number too large for a double gives
// +/- infinity and one too small gives a signed zero, as the C conversion does.

#include <cstdint>
#include <optional>
#include <span>

namespace varnelo {

double ReadDecimalPrefix(std::span<const std::uint8_t> text);

// The same number, or nothing when the text does not start with one (an
// empty field, a letter): the caller can tell a missing value from a 0.
std::optional<double> ReadDecimalNumber(std::span<const std::uint8_t> text);

}  // namespace varnelo
