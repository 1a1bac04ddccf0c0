#include "io/open_file.h"

#include <cerrno>
#include <string>
#include <system_error>

namespace varnelo {

namespace fs = std::filesystem;

std::FILE* OpenFile(const fs::path& path, const char* mode) {
    const std::wstring wideMode(mode, mode + std::char_traits<char>::length(mode));
    return ::_wfopen(path.c_str(), wideMode.c_str());
}

std::FILE* OpenRegularFile(const fs::path& path) {
    std::error_code code;
    const fs::file_status status = fs::status(path, code);
    if (fs::exists(status) && !fs::is_regular_file(status)) {
        errno = fs::is_directory(status) ? EISDIR : ENODEV;
        return nullptr;
    }
    return OpenFile(path, "rb");
}

bool Writable(const fs::path&, const fs::file_status& status) {
    constexpr fs::perms ANY_WRITE = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    return (status.permissions() & ANY_WRITE) != fs::perms::none;
}

}  // namespace varnelo
