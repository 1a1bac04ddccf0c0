#pragma once
// A C stream on a file named by a path, whatever characters the name holds:
// on Windows through the wide-character call, since the narrow one reads a
// name in the user's code page and cannot reach most Japanese names.

#include <cstdio>
#include <filesystem>
#include <string>

namespace varnelo {

// As std::fopen; null with errno set when the system refuses.
std::FILE* OpenFile(const std::filesystem::path& path, const char* mode);

// True when the permission bits let someone write the file or folder and
// the system lets this user: a read-only file stays so even for root.
bool Writable(const std::filesystem::path& path, const std::filesystem::file_status& status);

// The path as UTF-8 text, for messages: the same bytes on every system.
std::string PathText(const std::filesystem::path& path);

}  // namespace varnelo
