#pragma once
// A C stream on a file named by a path, whatever characters the name holds.
// open_file_posix.cpp hands the name's bytes to the system as they are;
// open_file_windows.cpp uses the wide-character calls, since the narrow
// ones read a name in the user's code page and cannot reach most Japanese
// names.

#include <cstdio>
#include <filesystem>

#include "io/path_text.h"

namespace varnelo {

// As std::fopen; null with errno set when the system refuses.
std::FILE* OpenFile(const std::filesystem::path& path, const char* mode);

// As OpenFile(path, "rb"), but only for a regular file, and without waiting
// on a FIFO that has no writer or a device: null with errno set, EISDIR for
// a folder, ENODEV for anything else that is not a regular file.
std::FILE* OpenRegularFile(const std::filesystem::path& path);

// True when the permission bits let someone write the file or folder and
// the system lets this user: a read-only file stays so even for root.
// Windows has no per-user check beyond the bits.
bool Writable(const std::filesystem::path& path, const std::filesystem::file_status& status);

}  // namespace varnelo
