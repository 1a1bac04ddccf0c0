// Files made with O_TMPFILE and named through /proc/self/fd.
#include <fcntl.h>
#include <unistd.h>

#include <string>

#include "io/atomic_file_system.h"

namespace varnelo::system_file {

std::FILE* OpenUnnamed(const std::filesystem::path& folder) {
    // It is given a name by its descriptor's path, so /proc must be there.
    if (::access("/proc/self/fd", X_OK) != 0) return nullptr;
    const int fd = ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    if (fd < 0) return nullptr;  // a file system without unnamed files
    std::FILE* file = ::fdopen(fd, "wb");
    if (!file) ::close(fd);
    return file;
}

bool NameUnnamed(std::FILE* file, const std::filesystem::path& name) {
    const std::string descriptor = "/proc/self/fd/" + std::to_string(fileno(file));
    return ::linkat(AT_FDCWD, descriptor.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0;
}

}  // namespace varnelo::system_file
