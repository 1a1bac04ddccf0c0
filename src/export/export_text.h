#pragma once
// What every export writer shares: how positions are written, how often
// progress is told, how many records a batch holds, and copying a piece of
// text into a line being built.

#include <cstddef>
#include <cstring>
#include <string_view>

#include "text/fixed_format.h"

namespace varnelo::export_text {

// Positions: 7 decimals of a degree, about a centimetre, in every file.
inline constexpr int POSITION_DECIMALS = 7;
inline constexpr int ALTITUDE_DECIMALS = 1;
// Records between two progress reports.
inline constexpr int PROGRESS_STEP = 100;
// Records formatted as one piece: enough text (about 450 kB of a CSV with
// both channels) that handing a batch between threads, a wake-up of the
// other side, costs little beside it.
inline constexpr std::size_t RECORDS_PER_BATCH = 64;

inline char* Append(char* out, std::string_view text) {
    std::memcpy(out, text.data(), text.size());
    return out + text.size();
}

// Fixed decimals without a sign on a zero: a value that rounds to nothing
// but zeros is written unsigned, as readers take "-0.0000000" for a value.
inline char* AppendUnsignedZero(char* out, double value, int decimals) {
    char* const end = FormatFixed(out, value, decimals, 0);
    if (*out != '-') return end;
    for (const char* p = out + 1; p < end; ++p)
        if (*p != '0' && *p != '.') return end;
    std::memmove(out, out + 1, static_cast<std::size_t>(end - out - 1));
    return end - 1;
}

}  // namespace varnelo::export_text
