// Systems, and the portable build, without files that have no name: every
// new file is a named temporary sibling from the start.
#include <cerrno>

#include "io/atomic_file_system.h"

namespace varnelo::system_file {

std::FILE* OpenUnnamed(const std::filesystem::path&) { return nullptr; }

bool NameUnnamed(std::FILE*, const std::filesystem::path&) {
    errno = ENOSYS;
    return false;
}

}  // namespace varnelo::system_file
