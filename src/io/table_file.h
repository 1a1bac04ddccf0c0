#pragma once
// Small text files that the programs read whole: a response table, a
// settings file. Only a regular file is taken; a folder, FIFO, socket or
// device is refused at once, before anything waits on it or reads from it,
// and so is a file beyond the bounds below, so that no input, however
// large or endless, holds more than TABLE_FILE_MAX bytes in memory.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

#include "io/status.h"

namespace varnelo {

inline constexpr std::uintmax_t TABLE_FILE_MAX = std::uintmax_t{16} << 20;
inline constexpr std::size_t TABLE_LINE_MAX = std::size_t{64} << 10;
inline constexpr std::size_t NO_LINE_LIMIT = 0;

// The whole file in `text`. A refusal names the file: NotRegular ("… is a
// directory", "… is not a regular file"), or OpenFailed (it cannot be
// opened or read, it is larger than TABLE_FILE_MAX, or a line of it is
// longer than lineMax bytes unless lineMax is NO_LINE_LIMIT), each naming
// its limit.
Status ReadTableFile(const std::filesystem::path& path, std::string& text, std::size_t lineMax = TABLE_LINE_MAX);

}  // namespace varnelo
