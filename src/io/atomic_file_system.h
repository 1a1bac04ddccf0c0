#pragma once
// The system's side of AtomicFileWriter, one source file a system. Each
// failing call leaves errno set, or says why in `why`.

#include <cstdio>
#include <filesystem>
#include <string>

namespace varnelo::system_file {

// A new file that no other writer can have opened: creation fails (EEXIST)
// rather than take a name that is somehow taken.
std::FILE* CreateExclusive(const std::filesystem::path& path);

// The file's bytes on the disk, not only in the system's cache.
bool FlushToDisk(std::FILE* file);
// Asks the system to start writing what the file holds to the disk, without
// waiting; where there is no such call, nothing.
void StartWriteBack(std::FILE* file);

// The new file takes the old one's name in one step.
bool Replace(const std::filesystem::path& from, const std::filesystem::path& to, std::string& why);

// A file without a name in `folder`, which the system reclaims should the
// process die before it is named; null where the system or the folder's
// file system has no such files (unnamed_file_portable.cpp: always).
std::FILE* OpenUnnamed(const std::filesystem::path& folder);

// Gives a file from OpenUnnamed the name `name`; false with errno set
// (EEXIST when the name is taken).
bool NameUnnamed(std::FILE* file, const std::filesystem::path& name);

}  // namespace varnelo::system_file
