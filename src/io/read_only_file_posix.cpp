// Reads by position (pread): parts of a file may be read from several
// threads at once without a shared position.
#include "io/read_only_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace varnelo {

ReadOnlyFile::~ReadOnlyFile() {
    if (m_fd >= 0) ::close(m_fd);
}

Status ReadOnlyFile::open(const std::filesystem::path& path, const StreamLength& length) {
    m_path = path;
    m_fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (m_fd < 0) return fail(errno);
    struct stat status {};
    if (::fstat(m_fd, &status) != 0) return fail(errno);
    // A stream's size says nothing of what it holds: it must be read.
    if (S_ISFIFO(status.st_mode) || S_ISCHR(status.st_mode) || S_ISSOCK(status.st_mode)) return takeStream(length);
    return {};
}

long ReadOnlyFile::readOn(void* into, std::size_t n) {
    for (;;) {
        const ssize_t r = ::read(m_fd, into, n);
        if (r >= 0 || errno != EINTR) return static_cast<long>(r);
    }
}

Status ReadOnlyFile::size(std::uintmax_t& bytes) {
    if (m_streamed) {
        bytes = m_stream.size();
        return {};
    }
    struct stat status {};
    if (::fstat(m_fd, &status) != 0) return fail(errno);
    if (S_ISDIR(status.st_mode)) return fail(EISDIR);
    bytes = static_cast<std::uintmax_t>(status.st_size);
    return {};
}

std::size_t ReadOnlyFile::read(std::uintmax_t offset, void* into, std::size_t n) {
    if (m_streamed) return readTaken(offset, into, n);
    auto* const bytes = static_cast<std::uint8_t*>(into);
    std::size_t got = 0;
    while (got < n) {
        const ssize_t r = ::pread(m_fd, bytes + got, n - got, static_cast<off_t>(offset + got));
        if (r < 0 && errno == EINTR) continue;
        if (r < 0) noteReadError(errno);
        if (r <= 0) break;
        got += static_cast<std::size_t>(r);
    }
    return got;
}

}  // namespace varnelo
