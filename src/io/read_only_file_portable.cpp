// Reads through a C stream, opened by the wide name on Windows: a seek and
// its read go together under a lock.
#include "io/read_only_file.h"

#include <cerrno>
#include <climits>

#include "io/open_file.h"

namespace varnelo {

ReadOnlyFile::~ReadOnlyFile() {
    if (m_file) std::fclose(m_file);
}

Status ReadOnlyFile::open(const std::filesystem::path& path, const StreamLength& length) {
    m_path = path;
    m_file = OpenFile(path, "rb");
    if (m_file == nullptr) return fail(errno);
    // A stream's size says nothing of what it holds: it must be read.
    std::error_code code;
    const auto status = std::filesystem::status(path, code);
    if (!code && !std::filesystem::is_regular_file(status) && !std::filesystem::is_directory(status))
        return takeStream(length);
    return {};
}

long ReadOnlyFile::readOn(void* into, std::size_t n) {
    const std::size_t got = std::fread(into, 1, n, m_file);
    if (got == 0 && std::ferror(m_file)) {
        errno = EIO;
        return -1;
    }
    return static_cast<long>(got);
}

Status ReadOnlyFile::size(std::uintmax_t& bytes) {
    if (m_streamed) {
        bytes = m_stream.size();
        return {};
    }
    std::error_code code;
    bytes = std::filesystem::file_size(m_path, code);
    if (code) return fail(code.message(), code.value());
    return {};
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

}  // namespace varnelo
