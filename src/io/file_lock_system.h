#pragma once
// The system's side of LockedFile, one source file a system: a handle on an
// open file, a lock that fails at once when held, and reads and writes at
// a position. Each failing call says why in `why`.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

#include "io/file_lock.h"

namespace varnelo::system_file {

using Handle = std::intptr_t;
inline constexpr Handle NO_HANDLE = -1;

enum class LockTry { Locked, Held, Failed };

// A regular file that exists; NO_HANDLE when it cannot be opened.
Handle Open(const std::filesystem::path& path, LockAccess access, std::string& why);
LockTry TryLock(Handle handle, std::string& why);
// True when `path` names the very file `handle` is open on.
bool Names(Handle handle, const std::filesystem::path& path);
bool Size(Handle handle, std::uintmax_t& bytes, std::string& why);
std::size_t ReadAt(Handle handle, std::uintmax_t offset, void* into, std::size_t n);
bool WriteAt(Handle handle, std::uintmax_t offset, const void* data, std::size_t n, std::string& why);
bool Flush(Handle handle, std::string& why);
bool Truncate(Handle handle, std::uintmax_t size, std::string& why);
void Close(Handle handle);
// True when a file can be renamed over another that is open and locked.
bool RenamesOverOpenFiles();

}  // namespace varnelo::system_file
