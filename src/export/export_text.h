#pragma once
// What every export writer shares: how positions are written, how often
// progress is told, how many records a batch holds, copying a piece of text
// into a line being built, and the room each line is given.

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <string>
#include <string_view>

#include "text/fixed_format.h"

namespace varnelo::export_text {

// Positions: 7 decimals of a degree, about a centimetre, in every file.
inline constexpr int POSITION_DECIMALS = 7;
inline constexpr int ALTITUDE_DECIMALS = 1;
// The sun in degrees: finer than its 0.01°, so the rounding adds nothing to its error.
inline constexpr int SUN_DECIMALS = 4;
// Records between two progress reports.
inline constexpr int PROGRESS_STEP = 100;
// Records formatted as one piece: enough text (about 450 kB of a CSV with
// both channels) that handing a batch between threads, a wake-up of the
// other side, costs little beside it.
inline constexpr std::size_t RECORDS_PER_BATCH = 64;

// Room for a run of fixed texts: the sum of their sizes.
constexpr std::size_t TextsSize(std::initializer_list<std::string_view> texts) {
    std::size_t size = 0;
    for (const std::string_view text : texts) size += text.size();
    return size;
}

// Two digits of 0..99.
inline void AppendTwoDigits(std::string& out, int value) {
    out += static_cast<char>('0' + value / 10);
    out += static_cast<char>('0' + value % 10);
}

// "2023-07-14T09:30:00" of a date and time already known to be valid, year 1..9999.
inline std::string IsoDateTimeText(int year, int month, int day, int hour, int minute, int second) {
    std::string text;
    text.reserve(19);
    AppendTwoDigits(text, year / 100);
    AppendTwoDigits(text, year % 100);
    text += '-';
    AppendTwoDigits(text, month);
    text += '-';
    AppendTwoDigits(text, day);
    text += 'T';
    AppendTwoDigits(text, hour);
    text += ':';
    AppendTwoDigits(text, minute);
    text += ':';
    AppendTwoDigits(text, second);
    return text;
}

// A writer that outgrew the room it was given has a wrong maximum: what it
// wrote can no longer be trusted, nor the memory beside it, so the program
// stops instead of writing on.
[[noreturn]] inline void RoomExceeded(const char* writer) {
    std::fprintf(stderr, "varnelo: %s outgrew the room computed for it\n", writer);
    std::abort();
}

// The room of one batch: `items` lines of at most `itemMax` bytes each from
// `begin`. Every line is checked to start with a whole line's room left and
// to end within its share, in every build.
class BatchRoom {
public:
    BatchRoom(char* begin, std::size_t capacity, std::size_t items, std::size_t itemMax, const char* writer)
        : m_end(begin + capacity), m_itemMax(itemMax), m_writer(writer) {
        if (itemMax == 0 || items > capacity / itemMax) RoomExceeded(writer);
    }

    // For a line made elsewhere and copied in: checked before the copy.
    void expect(std::size_t size) const {
        if (size > m_itemMax) RoomExceeded(m_writer);
    }

    // `write(out)` writes one line from `out` and returns its end.
    template <class Write>
    char* line(char* out, Write&& write) const {
        if (static_cast<std::size_t>(m_end - out) < m_itemMax) RoomExceeded(m_writer);
        char* const end = write(out);
        if (end < out || static_cast<std::size_t>(end - out) > m_itemMax) RoomExceeded(m_writer);
        return end;
    }

private:
    char* m_end;
    std::size_t m_itemMax;
    const char* m_writer;
};

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
