#include "data/atomic_file.h"

#include <cerrno>
#include <cstring>
#include <random>
#include <system_error>

#if defined(__unix__) || defined(__APPLE__)
#include <unistd.h>
#endif

namespace varnelo {

namespace fs = std::filesystem;

namespace {

constexpr std::size_t WRITE_BUFFER_SIZE = 1 << 20;

fs::path TemporarySibling(const fs::path& target) {
    std::random_device seed;
    std::mt19937_64 generator((static_cast<std::uint64_t>(seed()) << 32) ^ seed());
    char suffix[24];
    std::snprintf(suffix, sizeof suffix, ".%016llx~", static_cast<unsigned long long>(generator()));
    fs::path name = target.filename();
    name += suffix;
    return target.parent_path() / ("." + name.string());
}

}  // namespace

AtomicFileWriter::AtomicFileWriter(fs::path target) : m_target(std::move(target)) {}

AtomicFileWriter::~AtomicFileWriter() { discard(); }

bool AtomicFileWriter::fail(const std::string& what, int errorNumber) {
    if (m_error.empty()) {
        m_error = what + " " + m_target.string();
        if (errorNumber != 0) m_error += ": " + std::string(std::strerror(errorNumber));
    }
    discard();
    return false;
}

void AtomicFileWriter::discard() {
    if (m_file) {
        std::fclose(m_file);
        m_file = nullptr;
    }
    if (!m_temporary.empty()) {
        std::error_code ignored;
        fs::remove(m_temporary, ignored);
        m_temporary.clear();
    }
}

bool AtomicFileWriter::open() {
    // Exclusive creation: a name that is somehow taken is never overwritten.
    for (int attempt = 0; attempt < 8 && !m_file; ++attempt) {
        m_temporary = TemporarySibling(m_target);
        m_file = std::fopen(m_temporary.string().c_str(), "wbx");
        if (!m_file && errno != EEXIST) break;
    }
    if (!m_file) {
        const int errorNumber = errno;
        m_temporary.clear();
        return fail("cannot create a file beside", errorNumber);
    }
    std::setvbuf(m_file, nullptr, _IOFBF, WRITE_BUFFER_SIZE);
    return true;
}

bool AtomicFileWriter::write(const void* data, std::size_t size) {
    if (!m_file) return false;
    if (size != 0 && std::fwrite(data, 1, size, m_file) != size) return fail("cannot write", errno);
    return true;
}

bool AtomicFileWriter::commit() {
    if (!m_file) return false;
    if (std::fflush(m_file) != 0) return fail("cannot write", errno);
#if defined(__unix__) || defined(__APPLE__)
    if (::fsync(fileno(m_file)) != 0) return fail("cannot write", errno);
#endif
    std::FILE* file = m_file;
    m_file = nullptr;
    if (std::fclose(file) != 0) return fail("cannot write", errno);

    std::error_code code;
    const fs::file_status existing = fs::status(m_target, code);
    if (!code && fs::exists(existing)) fs::permissions(m_temporary, existing.permissions(), code);
    fs::rename(m_temporary, m_target, code);
    if (code) return fail("cannot replace", code.value());
    m_temporary.clear();
    return true;
}

}  // namespace varnelo
