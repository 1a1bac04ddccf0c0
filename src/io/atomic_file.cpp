#include "io/atomic_file.h"

#include "io/atomic_file_system.h"
#include "io/file_lock.h"
#include "io/open_file.h"
#include "io/path_text.h"
#include "io/temporary_name.h"

#include <cerrno>
#include <cstring>
#include <system_error>

namespace varnelo {

namespace fs = std::filesystem;

namespace {

constexpr std::size_t WRITE_BUFFER_SIZE = 1 << 20;
constexpr std::size_t WRITE_BACK_STEP = 4 << 20;
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

Status AtomicFileWriter::fail(const std::string& what, int errorNumber) {
    return fail(what, errorNumber != 0 ? std::string(std::strerror(errorNumber)) : std::string(), errorNumber);
}

Status AtomicFileWriter::fail(const std::string& what, const std::string& why, int errorNumber) {
    if (m_status) {
        const bool standardOutput = m_mode == Mode::StandardOutput;
        m_status = {Status::Kind::SaveFailed,
                    what + " " + (standardOutput ? std::string("standard output") : PathText(m_target))};
        if (!why.empty()) m_status.detail += ": " + why;
        if (!standardOutput) m_status.path = PathText(m_target);
        m_status.systemError = why;
        m_status.systemErrorNumber = errorNumber;
    }
    discard();
    return m_status;
}

Status AtomicFileWriter::closed() const { return m_status ? Status{Status::Kind::SaveFailed, {}} : m_status; }

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
    // Should the process die before the commit, the system reclaims the
    // file and nothing is left behind.
    const fs::path folder = m_destination.has_parent_path() ? m_destination.parent_path() : fs::path(".");
    m_file = system_file::OpenUnnamed(folder);
    m_unnamed = m_file != nullptr;
    return m_unnamed;
}

bool AtomicFileWriter::nameUnnamed() {
    for (int attempt = 0; attempt < 8; ++attempt) {
        const fs::path name = TemporarySibling(m_destination);
        if (system_file::NameUnnamed(m_file, name)) {
            m_temporary = name;
            return true;
        }
        if (errno != EEXIST) break;
    }
    return false;
}

Status AtomicFileWriter::open() {
    if (IsStandardOutput(m_target)) {
        m_mode = Mode::StandardOutput;
        m_file = stdout;
        return {};
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
                m_file = system_file::CreateExclusive(m_temporary);
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
    return {};
}

Status AtomicFileWriter::write(const void* data, std::size_t size) {
    if (!m_file) return closed();
    if (size != 0 && std::fwrite(data, 1, size, m_file) != size) return fail("cannot write", errno);
    m_unflushed += size;
    if (m_mode == Mode::Replace && m_unflushed >= WRITE_BACK_STEP) {
        // The disk starts on what is written while more is made, so that
        // the flush before the rename waits for the last stretch only.
        if (std::fflush(m_file) != 0) return fail("cannot write", errno);
        system_file::StartWriteBack(m_file);
        m_unflushed = 0;
    }
    return {};
}

Status AtomicFileWriter::prepare() {
    if (m_prepared) return {};
    if (!m_file) return closed();
    // A stream that failed earlier may have dropped its buffer: fflush alone
    // would then report success.
    if (std::fflush(m_file) != 0 || std::ferror(m_file)) return fail("cannot write", errno);
    if (m_mode == Mode::StandardOutput) {
        m_file = nullptr;
        m_prepared = true;
        return {};
    }
    if (m_mode == Mode::Replace && !system_file::FlushToDisk(m_file)) return fail("cannot write", errno);
    if (m_unnamed && !nameUnnamed()) return fail("cannot name the new file beside", errno);
    std::FILE* file = m_file;
    m_file = nullptr;
    if (std::fclose(file) != 0) return fail("cannot write", errno);
    m_prepared = true;
    return {};
}

Status AtomicFileWriter::withdraw() {
    if (Status prepared = prepare(); !prepared) return prepared;
    if (m_mode != Mode::Replace) return {};
    std::error_code code;
    const fs::file_status existing = fs::status(m_destination, code);
    if (code || !fs::is_regular_file(existing)) return {};
    fs::permissions(m_temporary, existing.permissions(), code);
    if (!fs::remove(m_destination, code) && code) return fail("cannot remove the old", code.message(), code.value());
    return {};
}

Status AtomicFileWriter::commit() {
    if (Status prepared = prepare(); !prepared) return prepared;
    m_prepared = false;
    if (m_mode != Mode::Replace) return {};

    std::error_code code;
    const fs::file_status existing = fs::status(m_destination, code);
    const bool replacesFile = !code && fs::is_regular_file(existing);
    if (!code && fs::exists(existing)) fs::permissions(m_temporary, existing.permissions(), code);
    // A writer that extends the old file in place holds it locked: its new
    // records would be lost with the old file. One that this user cannot
    // open at all is replaced without the lock, as the system allows.
    LockedFile old;
    if (replacesFile) {
        if (Status locked = old.open(m_destination, LockAccess::Read); locked.cause == Status::Cause::Busy) {
            m_status = std::move(locked);
            m_status.kind = Status::Kind::SaveFailed;
            discard();
            return m_status;
        }
    }
    old.releaseForRename();
    std::string why;
    if (!system_file::Replace(m_temporary, m_destination, why)) return fail("cannot replace", why);
    m_temporary.clear();
    return {};
}

}  // namespace varnelo
