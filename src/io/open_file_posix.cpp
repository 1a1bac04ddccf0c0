#include "io/open_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace varnelo {

namespace fs = std::filesystem;

std::FILE* OpenFile(const fs::path& path, const char* mode) { return std::fopen(path.c_str(), mode); }

std::FILE* OpenRegularFile(const fs::path& path) {
    // Non-blocking: opening a FIFO would otherwise wait for its writer.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return nullptr;
    struct stat info {};
    int refusal = 0;
    if (::fstat(fd, &info) != 0) {
        refusal = errno;
    } else if (!S_ISREG(info.st_mode)) {
        refusal = S_ISDIR(info.st_mode) ? EISDIR : ENODEV;
    } else if (::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
        refusal = errno;
    }
    std::FILE* file = refusal == 0 ? ::fdopen(fd, "rb") : nullptr;
    if (!file) {
        if (refusal == 0) refusal = errno;
        ::close(fd);
        errno = refusal;
    }
    return file;
}

bool Writable(const fs::path& path, const fs::file_status& status) {
    constexpr fs::perms ANY_WRITE = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    if ((status.permissions() & ANY_WRITE) == fs::perms::none) return false;
    return ::access(path.c_str(), W_OK) == 0;
}

}  // namespace varnelo
