#include "io/atomic_file.h"

#include "io/file_lock.h"
#include "io/open_file.h"
#include "io/temporary_name.h"

#include <cerrno>
#include <cstring>
#include <system_error>

#if defined(__unix__) || defined(__APPLE__)
#include <fcntl.h>
#include <unistd.h>
#if defined(__linux__) && defined(O_TMPFILE) && !defined(VARNELO_PORTABLE_IO)
#define VARNELO_HAVE_UNNAMED_FILES 1
#endif
#elif defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>
#endif

namespace varnelo {

namespace fs = std::filesystem;

namespace {

constexpr std::size_t WRITE_BUFFER_SIZE = 1 << 20;
constexpr int MAX_LINK_HOPS = 40;  // as the kernel's own limit

// The file a name finally stands for: each symlink replaced by its target
// (a relative one read from the link's own folder). A name that does not
// exist, or a dangling link's target, is where the new file will be made.
fs::path FollowLinks(fs::path path, std::error_code& code) {
    for (int hop = 0; hop < MAX_LINK_HOPS; ++hop) {
        const fs::file_status status = fs::symlink_status(path, code);
        if (status.type() == fs::file_type::not_found) code.clear();
        if (code || !fs::is_symlink(status)) return path;
        const fs::path next = fs::read_symlink(path, code);
        if (code) return path;
        path = next.is_absolute() ? next : path.parent_path() / next;
    }
    code = std::make_error_code(std::errc::too_many_symbolic_link_levels);
    return path;
}

// A new file that no other writer can have opened: creation fails rather
// than take a name that is somehow taken.
std::FILE* CreateExclusive(const fs::path& path) {
#ifdef _WIN32
    const int fd = ::_wopen(path.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
    if (fd < 0) return nullptr;
    std::FILE* file = ::_fdopen(fd, "wb");
    if (!file) ::_close(fd);
    return file;
#else
    return std::fopen(path.c_str(), "wbx");
#endif
}

int Descriptor(std::FILE* file) {
#ifdef _WIN32
    return ::_fileno(file);
#else
    return fileno(file);
#endif
}

// The file's bytes on the disk, not only in the system's cache.
bool FlushToDisk(std::FILE* file) {
#ifdef _WIN32
    return ::_commit(Descriptor(file)) == 0;
#else
    return ::fsync(Descriptor(file)) == 0;
#endif
}

// The new file takes the old one's name in one step. On Windows the
// rename is itself written through before it returns, and a file that
// another program holds open without sharing its deletion is refused with
// the old file left as it was.
bool Replace(const fs::path& from, const fs::path& to, std::string& why) {
#ifdef _WIN32
    if (::MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
    why = std::system_category().message(static_cast<int>(::GetLastError()));
    return false;
#else
    std::error_code code;
    fs::rename(from, to, code);
    if (code) why = code.message();
    return !code;
#endif
}

// What cannot be swapped for a new file (a device, a FIFO) is written as it is.
bool WrittenInPlace(const fs::file_status& existing) { return fs::exists(existing) && !fs::is_regular_file(existing); }

}  // namespace

bool IsStandardOutput(const fs::path& target) { return target.native() == fs::path(STANDARD_OUTPUT_NAME).native(); }

bool WrittenThroughTemporary(const fs::path& target) {
    if (IsStandardOutput(target)) return false;
    std::error_code code;
    const fs::path destination = FollowLinks(target, code);
    return code || !WrittenInPlace(fs::status(destination, code));
}

bool SameFile(const fs::path& a, const fs::path& b) {
    std::error_code code;
    return fs::equivalent(a, b, code) && !code;
}

AtomicFileWriter::AtomicFileWriter(fs::path target) : m_target(std::move(target)) {}

AtomicFileWriter::~AtomicFileWriter() { discard(); }

bool AtomicFileWriter::fail(const std::string& what, int errorNumber) {
    return fail(what, errorNumber != 0 ? std::string(std::strerror(errorNumber)) : std::string());
}

bool AtomicFileWriter::fail(const std::string& what, const std::string& why) {
    if (m_error.empty()) {
        m_error = what + " " + (m_mode == Mode::StandardOutput ? std::string("standard output") : PathText(m_target));
        if (!why.empty()) m_error += ": " + why;
    }
    discard();
    return false;
}

void AtomicFileWriter::discard() {
    if (m_file) {
        if (m_mode != Mode::StandardOutput) std::fclose(m_file);
        m_file = nullptr;
    }
    if (!m_temporary.empty()) {
        std::error_code ignored;
        fs::remove(m_temporary, ignored);
        m_temporary.clear();
    }
}

bool AtomicFileWriter::openUnnamed() {
#ifdef VARNELO_HAVE_UNNAMED_FILES
    // A file without a name in the destination's folder: should the process
    // die before the commit, the system reclaims it and nothing is left
    // behind. It is given a name by its descriptor's path, so /proc must be there.
    if (::access("/proc/self/fd", X_OK) != 0) return false;
    const fs::path folder = m_destination.has_parent_path() ? m_destination.parent_path() : fs::path(".");
    const int fd = ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    if (fd < 0) return false;  // a file system without unnamed files
    m_file = ::fdopen(fd, "wb");
    if (!m_file) ::close(fd);
    m_unnamed = m_file != nullptr;
    return m_unnamed;
#else
    return false;
#endif
}

bool AtomicFileWriter::nameUnnamed() {
#ifdef VARNELO_HAVE_UNNAMED_FILES
    const std::string descriptor = "/proc/self/fd/" + std::to_string(fileno(m_file));
    for (int attempt = 0; attempt < 8; ++attempt) {
        const fs::path name = TemporarySibling(m_destination);
        if (::linkat(AT_FDCWD, descriptor.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0) {
            m_temporary = name;
            return true;
        }
        if (errno != EEXIST) break;
    }
#endif
    return false;
}

bool AtomicFileWriter::open() {
    if (IsStandardOutput(m_target)) {
        m_mode = Mode::StandardOutput;
        m_file = stdout;
        return true;
    }
    std::error_code code;
    m_destination = FollowLinks(m_target, code);
    if (code) return fail("cannot follow the link", code.value());
    const fs::file_status existing = fs::status(m_destination, code);
    if (fs::is_directory(existing)) return fail("cannot write", EISDIR);

    if (WrittenInPlace(existing)) {
        m_mode = Mode::Direct;
        m_file = OpenFile(m_destination, "wb");
        if (!m_file) return fail("cannot open", errno);
    } else {
        // Temporaries that writers killed half way left beside it.
        RemoveStaleTemporaries(m_destination);
        if (!openUnnamed()) {
            // Exclusive creation: a name that is somehow taken is never overwritten.
            for (int attempt = 0; attempt < 8 && !m_file; ++attempt) {
                m_temporary = TemporarySibling(m_destination);
                m_file = CreateExclusive(m_temporary);
                if (!m_file && errno != EEXIST) break;
            }
            if (!m_file) {
                const int errorNumber = errno;
                m_temporary.clear();
                return fail("cannot create a file beside", errorNumber);
            }
        }
    }
    // A buffer of our own: given none, the C library ignores the size asked
    // for and writes a few kilobytes at a time.
    m_buffer = std::make_unique<char[]>(WRITE_BUFFER_SIZE);
    std::setvbuf(m_file, m_buffer.get(), _IOFBF, WRITE_BUFFER_SIZE);
    return true;
}

bool AtomicFileWriter::write(const void* data, std::size_t size) {
    if (!m_file) return false;
    if (size != 0 && std::fwrite(data, 1, size, m_file) != size) return fail("cannot write", errno);
    return true;
}

bool AtomicFileWriter::prepare() {
    if (m_prepared) return true;
    if (!m_file) return false;
    // A stream that failed earlier may have dropped its buffer: fflush alone
    // would then report success.
    if (std::fflush(m_file) != 0 || std::ferror(m_file)) return fail("cannot write", errno);
    if (m_mode == Mode::StandardOutput) {
        m_file = nullptr;
        m_prepared = true;
        return true;
    }
    if (m_mode == Mode::Replace && !FlushToDisk(m_file)) return fail("cannot write", errno);
    if (m_unnamed && !nameUnnamed()) return fail("cannot name the new file beside", errno);
    std::FILE* file = m_file;
    m_file = nullptr;
    if (std::fclose(file) != 0) return fail("cannot write", errno);
    m_prepared = true;
    return true;
}

bool AtomicFileWriter::commit() {
    if (!prepare()) return false;
    m_prepared = false;
    if (m_mode != Mode::Replace) return true;

    std::error_code code;
    const fs::file_status existing = fs::status(m_destination, code);
    const bool replacesFile = !code && fs::is_regular_file(existing);
    if (!code && fs::exists(existing)) fs::permissions(m_temporary, existing.permissions(), code);
    // A writer that extends the old file in place holds it locked: its new
    // records would be lost with the old file. One that this user cannot
    // open at all is replaced without the lock, as the system allows.
    LockedFile old;
    if (replacesFile && !old.open(m_destination, LockAccess::Read) && old.busy()) {
        m_error = old.error();
        discard();
        return false;
    }
    old.releaseForRename();
    std::string why;
    if (!Replace(m_temporary, m_destination, why)) return fail("cannot replace", why);
    m_temporary.clear();
    return true;
}

}  // namespace varnelo
