#include "io/read_only_file.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstring>

#include "io/open_file.h"
#include "io/parallel_parts.h"

#if (defined(__unix__) || defined(__APPLE__)) && !defined(VARNELO_PORTABLE_IO)
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#define VARNELO_HAVE_PREAD 1
#endif

namespace varnelo {

namespace {

// Below this a second thread costs more than it saves.
constexpr std::size_t PARALLEL_READ_MINIMUM = std::size_t{4} << 20;

}  // namespace

bool ReadOnlyFile::fail(int errorNumber) {
    m_error = std::strerror(errorNumber);
    return false;
}

#ifdef VARNELO_HAVE_PREAD

ReadOnlyFile::~ReadOnlyFile() {
    if (m_fd >= 0) ::close(m_fd);
}

bool ReadOnlyFile::open(const std::filesystem::path& path) {
    m_fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    return m_fd >= 0 || fail(errno);
}

bool ReadOnlyFile::size(std::uintmax_t& bytes) {
    struct stat status {};
    if (::fstat(m_fd, &status) != 0) return fail(errno);
    if (S_ISDIR(status.st_mode)) return fail(EISDIR);
    bytes = static_cast<std::uintmax_t>(status.st_size);
    return true;
}

std::size_t ReadOnlyFile::read(std::uintmax_t offset, void* into, std::size_t n) {
    auto* const bytes = static_cast<std::uint8_t*>(into);
    std::size_t got = 0;
    while (got < n) {
        const ssize_t r = ::pread(m_fd, bytes + got, n - got, static_cast<off_t>(offset + got));
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) break;
        got += static_cast<std::size_t>(r);
    }
    return got;
}

std::size_t ReadOnlyFile::readInParallel(std::uintmax_t offset, void* into, std::size_t n, std::size_t unit) {
    unit = std::max<std::size_t>(unit, 1);
    const std::size_t units = n / unit;
    if (PartCount(units, PARALLEL_READ_MINIMUM / unit) < 2) return read(offset, into, n);
    // What arrived in one piece is the stretch before the earliest gap.
    std::atomic<std::size_t> firstGap{n};
    auto* const bytes = static_cast<std::uint8_t*>(into);
    ForEachPart(units, PARALLEL_READ_MINIMUM / unit, [&](std::size_t begin, std::size_t end) {
        const std::size_t from = begin * unit;
        const std::size_t to = end == units ? n : end * unit;
        const std::size_t gap = from + read(offset + from, bytes + from, to - from);
        if (gap == to) return;
        std::size_t earliest = firstGap.load();
        while (gap < earliest && !firstGap.compare_exchange_weak(earliest, gap)) {
        }
    });
    return firstGap.load();
}

#else

ReadOnlyFile::~ReadOnlyFile() {
    if (m_file) std::fclose(m_file);
}

bool ReadOnlyFile::open(const std::filesystem::path& path) {
    m_path = path;
    m_file = OpenFile(path, "rb");
    return m_file != nullptr || fail(errno);
}

bool ReadOnlyFile::size(std::uintmax_t& bytes) {
    std::error_code code;
    bytes = std::filesystem::file_size(m_path, code);
    if (code) {
        m_error = code.message();
        return false;
    }
    return true;
}

std::size_t ReadOnlyFile::read(std::uintmax_t offset, void* into, std::size_t n) {
    const std::lock_guard lock(m_position);
    // Offsets of the data file stay far below 2 GiB, the reach of a long.
    if (offset > static_cast<std::uintmax_t>(LONG_MAX) ||
        std::fseek(m_file, static_cast<long>(offset), SEEK_SET) != 0)
        return 0;
    return std::fread(into, 1, n, m_file);
}

std::size_t ReadOnlyFile::readInParallel(std::uintmax_t offset, void* into, std::size_t n, std::size_t) {
    return read(offset, into, n);
}

#endif

}  // namespace varnelo
