#pragma once
// Numbers as the short texts of labels, readouts and dialog pages: "%*d",
// "%*.*f" and "%+15.8E" of the "C" locale, through the one locale-free number
// formatting of the core.

#include <cstdint>
#include <string>

namespace varnelo {

// printf("%*d", width, value).
std::string IntText(std::int32_t value, int width);

// printf("%*.*f", width, decimals, value); a NaN reads "nan".
std::string FixedText(double value, int width, int decimals);

// printf("%+15.8E", value): "+1.23456789E+02", "           +INF".
std::string ScientificText(double value);

}  // namespace varnelo
