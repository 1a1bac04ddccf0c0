#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

#include <system_error>

#include "io/atomic_file_system.h"

namespace varnelo::system_file {

std::FILE* CreateExclusive(const std::filesystem::path& path) {
    const int fd = ::_wopen(path.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
    if (fd < 0) return nullptr;
    std::FILE* file = ::_fdopen(fd, "wb");
    if (!file) ::_close(fd);
    return file;
}

bool FlushToDisk(std::FILE* file) { return ::_commit(::_fileno(file)) == 0; }

void StartWriteBack(std::FILE*) {}

// The rename is itself written through before it returns, and a file that
// another program holds open without sharing its deletion is refused with
// the old file left as it was.
bool Replace(const std::filesystem::path& from, const std::filesystem::path& to, std::string& why) {
    if (::MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
    why = std::system_category().message(static_cast<int>(::GetLastError()));
    return false;
}

}  // namespace varnelo::system_file
