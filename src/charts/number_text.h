#pragma once
// Numbers as the charts print them, "%*d" and "%*.*f" alike, but never
// touched by the user's locale: the decimal point is always ".". Non-finite
// values read "inf", "-inf" and "nan".

#include <string>

namespace varnelo {

// As printf("%*d", width, value) in the "C" locale.
std::string FormatInt(long long value, int width);

// As printf("%*.*f", width, precision, value) in the "C" locale, except that
// a not-a-number is always "nan", whatever its sign bit.
std::string FormatFixed(double value, int width, int precision);

}  // namespace varnelo
