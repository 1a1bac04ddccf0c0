#include "io/open_file.h"

#include <unistd.h>

namespace varnelo {

namespace fs = std::filesystem;

std::FILE* OpenFile(const fs::path& path, const char* mode) { return std::fopen(path.c_str(), mode); }

bool Writable(const fs::path& path, const fs::file_status& status) {
    constexpr fs::perms ANY_WRITE = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    if ((status.permissions() & ANY_WRITE) == fs::perms::none) return false;
    return ::access(path.c_str(), W_OK) == 0;
}

}  // namespace varnelo
