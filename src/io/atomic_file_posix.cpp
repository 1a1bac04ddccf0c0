#include <fcntl.h>
#include <unistd.h>

#include <system_error>

#include "io/atomic_file_system.h"

namespace varnelo::system_file {

std::FILE* CreateExclusive(const std::filesystem::path& path) { return std::fopen(path.c_str(), "wbx"); }

bool FlushToDisk(std::FILE* file) { return ::fsync(fileno(file)) == 0; }

#ifdef SYNC_FILE_RANGE_WRITE
void StartWriteBack(std::FILE* file) { ::sync_file_range(fileno(file), 0, 0, SYNC_FILE_RANGE_WRITE); }
#else
void StartWriteBack(std::FILE*) {}  // the final flush writes it all
#endif

bool Replace(const std::filesystem::path& from, const std::filesystem::path& to, std::string& why) {
    std::error_code code;
    std::filesystem::rename(from, to, code);
    if (code) why = code.message();
    return !code;
}

}  // namespace varnelo::system_file
