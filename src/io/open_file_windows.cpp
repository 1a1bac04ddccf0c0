#include "io/open_file.h"

#include <string>

namespace varnelo {

namespace fs = std::filesystem;

std::FILE* OpenFile(const fs::path& path, const char* mode) {
    const std::wstring wideMode(mode, mode + std::char_traits<char>::length(mode));
    return ::_wfopen(path.c_str(), wideMode.c_str());
}

bool Writable(const fs::path&, const fs::file_status& status) {
    constexpr fs::perms ANY_WRITE = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    return (status.permissions() & ANY_WRITE) != fs::perms::none;
}

}  // namespace varnelo
