#include "io/read_only_file.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "io/path_text.h"

namespace varnelo {

Status ReadOnlyFile::fail(int errorNumber) { return fail(std::strerror(errorNumber), errorNumber); }

Status ReadOnlyFile::fail(const std::string& why, int errorNumber) {
    m_status = {Status::Kind::OpenFailed, PathText(m_path) + ": " + why};
    m_status.path = PathText(m_path);
    m_status.systemError = why;
    m_status.systemErrorNumber = errorNumber;
    return m_status;
}

void ReadOnlyFile::noteReadError(int errorNumber) {
    int none = 0;
    m_readErrno.compare_exchange_strong(none, errorNumber);
}

std::string ReadOnlyFile::readError() const {
    const int error = m_readErrno.load();
    return error == 0 ? std::string() : std::string(std::strerror(error));
}

Status ReadOnlyFile::open(const std::filesystem::path& path, std::uintmax_t streamLimit) {
    return open(path, [streamLimit](std::span<const std::uint8_t>) { return streamLimit; });
}

Status ReadOnlyFile::takeStream(const StreamLength& length) {
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
    return {};
}

std::size_t ReadOnlyFile::readTaken(std::uintmax_t offset, void* into, std::size_t n) const {
    if (offset >= m_stream.size()) return 0;
    const std::size_t got = std::min<std::size_t>(n, m_stream.size() - static_cast<std::size_t>(offset));
    std::memcpy(into, m_stream.data() + offset, got);
    return got;
}

}  // namespace varnelo
