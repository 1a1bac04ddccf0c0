#include <unistd.h>

#include <system_error>

#include "io/atomic_file_system.h"

namespace varnelo::system_file {

std::FILE* CreateExclusive(const std::filesystem::path& path) { return std::fopen(path.c_str(), "wbx"); }

bool FlushToDisk(std::FILE* file) { return ::fsync(fileno(file)) == 0; }

bool Replace(const std::filesystem::path& from, const std::filesystem::path& to, std::string& why) {
    std::error_code code;
    std::filesystem::rename(from, to, code);
    if (code) why = code.message();
    return !code;
}

}  // namespace varnelo::system_file
