#pragma once
// Numbers as the shortest text that reads back to the very same value, for
// files that other programs read (index tables, GIS layers): "0.25", not
// "0.250000", and a float32 as "12.3" rather than the digits of its double.
// Locale-free: "." always. Non-finite values have no such text here; each
// file says how it writes them (an empty field, a JSON null).

#include <cstddef>

namespace varnelo {

// Room one call may need.
inline constexpr std::size_t SHORTEST_TEXT_MAX = 32;

// The value must be finite. Returns the end of the text (not NUL-terminated).
char* FormatShortest(char* out, double value);
char* FormatShortest(char* out, float value);

}  // namespace varnelo
