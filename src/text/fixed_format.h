#pragma once
// Numbers in fixed notation, byte for byte as C printf("%<width>.<decimals>f")
// writes them in the "C" locale, whatever the process locale is, and fast
// enough for exports of millions of values.
//
// The one departure from printf: a NaN is written "nan" whatever its sign bit
// (glibc would write "-nan"). Infinities are "inf" and "-inf"; like every
// other text they are padded with leading blanks to the width.

#include <cstddef>
#include <cstdint>
#include <span>

namespace varnelo {

inline constexpr int FIXED_DECIMALS_MAX = 9;
inline constexpr int FIXED_WIDTH_MAX = 64;

// Room that one call may need, for decimals <= FIXED_DECIMALS_MAX and
// width <= FIXED_WIDTH_MAX: a sign, up to 39 (float) or 309 (double) integer
// digits, the point and the decimals. A call may also overwrite bytes of
// that room beyond the end of the text it returns.
inline constexpr std::size_t FLOAT_FIXED_TEXT_MAX = 64;
inline constexpr std::size_t DOUBLE_FIXED_TEXT_MAX = 320;
inline constexpr std::size_t INT32_TEXT_MAX = 11;

// A float32 widened to double, as printf receives it. decimals is held to
// 0..FIXED_DECIMALS_MAX and width to 0..FIXED_WIDTH_MAX. Returns the end of
// the text written (not NUL-terminated).
char* FormatFixed(char* out, float value, int decimals, int width);

// The same with the decimals fixed when compiled, for loops over many values
// (instantiated for 0..FIXED_DECIMALS_MAX); width must be 0..FIXED_WIDTH_MAX.
template <int Decimals>
char* FormatFloatFixed(char* out, float value, int width);

// Each value followed by the separator, for decimals 1, 2 and 3; returns the
// end. Needs FLOAT_FIXED_TEXT_MAX + 1 bytes per value.
template <int Decimals>
char* FormatFloatRun(char* out, std::span<const float> values, int width, char separator);

// Any double; same rules.
char* FormatFixed(char* out, double value, int decimals, int width);

// printf("%d").
char* FormatInt(char* out, std::int32_t value);

}  // namespace varnelo
