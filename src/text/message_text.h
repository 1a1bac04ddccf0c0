#pragma once
// A value from a file or the command line (a cell, a name, a file name) as
// it is shown inside a one-line message: every control character escaped
// (\n, \r, \t, \0, else \xNN; a C1 control's bytes as \xNN too), so that
// nothing a file holds can break the line or steer a terminal; and cut
// after a short prefix with "...", so that a megabyte cell cannot bury the
// reason. A multibyte character is never split; other bytes pass as they
// are (file names are bytes).

#include <cstddef>
#include <string>
#include <string_view>

namespace varnelo {

inline constexpr std::size_t MESSAGE_VALUE_MAX = 40;  // characters of a value
// A file name is worth more of the line: its folders and its own name both
// tell which file it is.
inline constexpr std::size_t MESSAGE_PATH_MAX = 240;
inline constexpr std::size_t MESSAGE_UNCUT = std::string_view::npos;

std::string MessageText(std::string_view value, std::size_t maxCharacters = MESSAGE_VALUE_MAX);

// MessageText in single quotes: 'value'.
std::string QuotedValue(std::string_view value);

}  // namespace varnelo
