// LockFileEx: Windows locks are mandatory, so the lock covers one byte far
// past any data file's end, where no reader ever reads. The file is opened
// without FILE_SHARE_DELETE, so no other file can be renamed over it while
// it is held.
#include <windows.h>

#include <system_error>

#include "io/file_lock_system.h"

namespace varnelo::system_file {

namespace {

constexpr DWORD LOCK_OFFSET_HIGH = 0x7FFFFFFF;
constexpr DWORD LOCK_OFFSET_LOW = 0xFFFFFFF0;

std::string Why() { return std::system_category().message(static_cast<int>(::GetLastError())); }

HANDLE Native(Handle handle) { return reinterpret_cast<HANDLE>(handle); }

OVERLAPPED At(std::uintmax_t offset) {
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset & 0xFFFFFFFFu);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    return at;
}

// One call moves at most a gigabyte.
DWORD Step(std::size_t left) { return static_cast<DWORD>(left < (1u << 30) ? left : (1u << 30)); }

}  // namespace

Handle Open(const std::filesystem::path& path, LockAccess access, std::string& why) {
    const DWORD rights = GENERIC_READ | (access == LockAccess::ReadWrite ? GENERIC_WRITE : 0);
    const HANDLE file = ::CreateFileW(path.c_str(), rights, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        why = Why();
        return NO_HANDLE;
    }
    if (::GetFileType(file) != FILE_TYPE_DISK) {
        why = "not a regular file";
        ::CloseHandle(file);
        return NO_HANDLE;
    }
    return reinterpret_cast<Handle>(file);
}

LockTry TryLock(Handle handle, std::string& why) {
    OVERLAPPED at{};
    at.Offset = LOCK_OFFSET_LOW;
    at.OffsetHigh = LOCK_OFFSET_HIGH;
    if (::LockFileEx(Native(handle), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at))
        return LockTry::Locked;
    if (::GetLastError() == ERROR_LOCK_VIOLATION) return LockTry::Held;
    why = Why();
    return LockTry::Failed;
}

bool Names(Handle handle, const std::filesystem::path& path) {
    const HANDLE named = ::CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                       FILE_ATTRIBUTE_NORMAL, nullptr);
    if (named == INVALID_HANDLE_VALUE) return false;
    BY_HANDLE_FILE_INFORMATION open{}, other{};
    const bool same = ::GetFileInformationByHandle(Native(handle), &open) &&
                      ::GetFileInformationByHandle(named, &other) &&
                      open.dwVolumeSerialNumber == other.dwVolumeSerialNumber &&
                      open.nFileIndexHigh == other.nFileIndexHigh && open.nFileIndexLow == other.nFileIndexLow;
    ::CloseHandle(named);
    return same;
}

bool Size(Handle handle, std::uintmax_t& bytes, std::string& why) {
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(Native(handle), &size)) {
        why = Why();
        return false;
    }
    bytes = static_cast<std::uintmax_t>(size.QuadPart);
    return true;
}

std::size_t ReadAt(Handle handle, std::uintmax_t offset, void* into, std::size_t n) {
    std::size_t done = 0;
    while (done < n) {
        OVERLAPPED at = At(offset + done);
        DWORD got = 0;
        if (!::ReadFile(Native(handle), static_cast<char*>(into) + done, Step(n - done), &got, &at) || got == 0) break;
        done += got;
    }
    return done;
}

bool WriteAt(Handle handle, std::uintmax_t offset, const void* data, std::size_t n, std::string& why) {
    std::size_t done = 0;
    while (done < n) {
        OVERLAPPED at = At(offset + done);
        DWORD put = 0;
        if (!::WriteFile(Native(handle), static_cast<const char*>(data) + done, Step(n - done), &put, &at) || put == 0) {
            why = Why();
            return false;
        }
        done += put;
    }
    return true;
}

bool Flush(Handle handle, std::string& why) {
    if (::FlushFileBuffers(Native(handle))) return true;
    why = Why();
    return false;
}

bool Truncate(Handle handle, std::uintmax_t size, std::string& why) {
    LARGE_INTEGER end{};
    end.QuadPart = static_cast<LONGLONG>(size);
    if (::SetFilePointerEx(Native(handle), end, nullptr, FILE_BEGIN) && ::SetEndOfFile(Native(handle))) return true;
    why = Why();
    return false;
}

void Close(Handle handle) { ::CloseHandle(Native(handle)); }

bool RenamesOverOpenFiles() { return false; }

}  // namespace varnelo::system_file
