// flock(2): a lock on the open file, not on the process, so that two writers
// of one process exclude each other too, and one that ends drops it.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "io/file_lock_system.h"

namespace varnelo::system_file {

namespace {

std::string Why() { return std::strerror(errno); }

int Fd(Handle handle) { return static_cast<int>(handle); }

}  // namespace

Handle Open(const std::filesystem::path& path, LockAccess access, std::string& why) {
    const int flags = (access == LockAccess::ReadWrite ? O_RDWR : O_RDONLY) | O_CLOEXEC | O_NOCTTY | O_NONBLOCK;
    const int fd = ::open(path.c_str(), flags);
    if (fd < 0) {
        why = Why();
        return NO_HANDLE;
    }
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        why = S_ISREG(status.st_mode) ? Why() : "not a regular file";
        ::close(fd);
        return NO_HANDLE;
    }
    // O_NONBLOCK only kept the open from waiting on a FIFO.
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

LockTry TryLock(Handle handle, std::string& why) {
    for (;;) {
        if (::flock(Fd(handle), LOCK_EX | LOCK_NB) == 0) return LockTry::Locked;
        if (errno == EWOULDBLOCK) return LockTry::Held;
        if (errno != EINTR) break;
    }
    why = Why();
    return LockTry::Failed;
}

bool Names(Handle handle, const std::filesystem::path& path) {
    struct stat open {}, named {};
    return ::fstat(Fd(handle), &open) == 0 && ::stat(path.c_str(), &named) == 0 && open.st_dev == named.st_dev &&
           open.st_ino == named.st_ino;
}

bool Size(Handle handle, std::uintmax_t& bytes, std::string& why) {
    struct stat status {};
    if (::fstat(Fd(handle), &status) != 0) {
        why = Why();
        return false;
    }
    bytes = static_cast<std::uintmax_t>(status.st_size);
    return true;
}

std::size_t ReadAt(Handle handle, std::uintmax_t offset, void* into, std::size_t n) {
    std::size_t done = 0;
    while (done < n) {
        const ssize_t got = ::pread(Fd(handle), static_cast<char*>(into) + done, n - done, static_cast<off_t>(offset + done));
        if (got > 0) {
            done += static_cast<std::size_t>(got);
        } else if (got == 0 || errno != EINTR) {
            break;
        }
    }
    return done;
}

bool WriteAt(Handle handle, std::uintmax_t offset, const void* data, std::size_t n, std::string& why) {
    std::size_t done = 0;
    while (done < n) {
        const ssize_t put =
            ::pwrite(Fd(handle), static_cast<const char*>(data) + done, n - done, static_cast<off_t>(offset + done));
        if (put > 0) {
            done += static_cast<std::size_t>(put);
        } else if (put == 0 || errno != EINTR) {
            why = put == 0 ? std::strerror(EIO) : Why();
            return false;
        }
    }
    return true;
}

bool Flush(Handle handle, std::string& why) {
    if (::fsync(Fd(handle)) == 0) return true;
    why = Why();
    return false;
}

bool Truncate(Handle handle, std::uintmax_t size, std::string& why) {
    if (::ftruncate(Fd(handle), static_cast<off_t>(size)) == 0) return true;
    why = Why();
    return false;
}

void Close(Handle handle) { ::close(Fd(handle)); }

bool RenamesOverOpenFiles() { return true; }

}  // namespace varnelo::system_file
