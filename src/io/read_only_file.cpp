#include "io/read_only_file.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstring>

#include "io/open_file.h"

#if (defined(__unix__) || defined(__APPLE__)) && !defined(VARNELO_PORTABLE_IO)
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#define VARNELO_HAVE_PREAD 1
#endif

namespace varnelo {

bool ReadOnlyFile::fail(int errorNumber) {
    m_error = std::strerror(errorNumber);
    return false;
}

void ReadOnlyFile::noteReadError(int errorNumber) {
    int none = 0;
    m_readErrno.compare_exchange_strong(none, errorNumber);
}

std::string ReadOnlyFile::readError() const {
    const int error = m_readErrno.load();
    return error == 0 ? std::string() : std::string(std::strerror(error));
}

bool ReadOnlyFile::open(const std::filesystem::path& path, std::uintmax_t streamLimit) {
    return open(path, [streamLimit](std::span<const std::uint8_t>) { return streamLimit; });
}

bool ReadOnlyFile::takeStream(const StreamLength& length) {
    m_streamed = true;
    constexpr std::size_t CHUNK = std::size_t{1} << 20;
    for (std::uintmax_t limit = length(m_stream); m_stream.size() < limit; limit = length(m_stream)) {
        const std::size_t want = static_cast<std::size_t>(std::min<std::uintmax_t>(CHUNK, limit - m_stream.size()));
        const std::size_t at = m_stream.size();
        m_stream.resize(at + want);
        const long got = readOn(m_stream.data() + at, want);
        if (got < 0) {
            const int error = errno;
            m_stream.clear();
            noteReadError(error);
            return fail(error);
        }
        m_stream.resize(at + static_cast<std::size_t>(got));
        if (got == 0) break;
    }
    m_stream.shrink_to_fit();
    return true;
}

std::size_t ReadOnlyFile::readTaken(std::uintmax_t offset, void* into, std::size_t n) const {
    if (offset >= m_stream.size()) return 0;
    const std::size_t got = std::min<std::size_t>(n, m_stream.size() - static_cast<std::size_t>(offset));
    std::memcpy(into, m_stream.data() + offset, got);
    return got;
}

#ifdef VARNELO_HAVE_PREAD

ReadOnlyFile::~ReadOnlyFile() {
    if (m_fd >= 0) ::close(m_fd);
}

bool ReadOnlyFile::open(const std::filesystem::path& path, const StreamLength& length) {
    m_fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (m_fd < 0) return fail(errno);
    struct stat status {};
    if (::fstat(m_fd, &status) != 0) return fail(errno);
    // A stream's size says nothing of what it holds: it must be read.
    if (S_ISFIFO(status.st_mode) || S_ISCHR(status.st_mode) || S_ISSOCK(status.st_mode)) return takeStream(length);
    return true;
}

long ReadOnlyFile::readOn(void* into, std::size_t n) {
    for (;;) {
        const ssize_t r = ::read(m_fd, into, n);
        if (r >= 0 || errno != EINTR) return static_cast<long>(r);
    }
}

bool ReadOnlyFile::size(std::uintmax_t& bytes) {
    if (m_streamed) {
        bytes = m_stream.size();
        return true;
    }
    struct stat status {};
    if (::fstat(m_fd, &status) != 0) return fail(errno);
    if (S_ISDIR(status.st_mode)) return fail(EISDIR);
    bytes = static_cast<std::uintmax_t>(status.st_size);
    return true;
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

#else

ReadOnlyFile::~ReadOnlyFile() {
    if (m_file) std::fclose(m_file);
}

bool ReadOnlyFile::open(const std::filesystem::path& path, const StreamLength& length) {
    m_path = path;
    m_file = OpenFile(path, "rb");
    if (m_file == nullptr) return fail(errno);
    // A stream's size says nothing of what it holds: it must be read.
    std::error_code code;
    const auto status = std::filesystem::status(path, code);
    if (!code && !std::filesystem::is_regular_file(status) && !std::filesystem::is_directory(status))
        return takeStream(length);
    return true;
}

long ReadOnlyFile::readOn(void* into, std::size_t n) {
    const std::size_t got = std::fread(into, 1, n, m_file);
    if (got == 0 && std::ferror(m_file)) {
        errno = EIO;
        return -1;
    }
    return static_cast<long>(got);
}

bool ReadOnlyFile::size(std::uintmax_t& bytes) {
    if (m_streamed) {
        bytes = m_stream.size();
        return true;
    }
    std::error_code code;
    bytes = std::filesystem::file_size(m_path, code);
    if (code) {
        m_error = code.message();
        return false;
    }
    return true;
}

std::size_t ReadOnlyFile::read(std::uintmax_t offset, void* into, std::size_t n) {
    if (m_streamed) return readTaken(offset, into, n);
    const std::lock_guard lock(m_position);
    // Offsets of the data file stay far below 2 GiB, the reach of a long.
    if (offset > static_cast<std::uintmax_t>(LONG_MAX) ||
        std::fseek(m_file, static_cast<long>(offset), SEEK_SET) != 0)
        return 0;
    const std::size_t got = std::fread(into, 1, n, m_file);
    if (got < n && std::ferror(m_file)) noteReadError(EIO);
    return got;
}

#endif

}  // namespace varnelo
