#include "io/open_file.h"

#include <string>

#if defined(__unix__) || defined(__APPLE__)
#include <unistd.h>
#endif

namespace varnelo {

std::FILE* OpenFile(const std::filesystem::path& path, const char* mode) {
#ifdef _WIN32
    const std::wstring wideMode(mode, mode + std::char_traits<char>::length(mode));
    return ::_wfopen(path.c_str(), wideMode.c_str());
#else
    return std::fopen(path.c_str(), mode);
#endif
}

bool Writable(const std::filesystem::path& path, const std::filesystem::file_status& status) {
    namespace fs = std::filesystem;
    constexpr fs::perms ANY_WRITE = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    if ((status.permissions() & ANY_WRITE) == fs::perms::none) return false;
#if defined(__unix__) || defined(__APPLE__)
    return ::access(path.c_str(), W_OK) == 0;
#else
    (void)path;
    return true;
#endif
}

std::string PathText(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return {text.begin(), text.end()};
}

}  // namespace varnelo
