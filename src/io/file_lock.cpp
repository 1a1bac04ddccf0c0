#include "io/file_lock.h"

#include <thread>

#include "io/file_lock_system.h"
#include "io/open_file.h"

namespace varnelo {

namespace {

constexpr auto RETRY_INTERVAL = std::chrono::milliseconds(25);
// A path given a new file more often than this while we lock it is taken
// for one that a writer keeps replacing.
constexpr int MAX_REPLACEMENTS = 100;

}  // namespace

Status LockedFile::fail(Status::Kind kind, const std::string& what, const std::string& why) {
    m_status = {kind, what + " " + PathText(m_path)};
    if (!why.empty()) m_status.detail += ": " + why;
    m_status.path = PathText(m_path);
    m_status.systemError = why;
    return m_status;
}

Status LockedFile::notOpen() const { return {Status::Kind::Failed, PathText(m_path) + " is not open"}; }

Status LockedFile::open(const std::filesystem::path& path, LockAccess access, std::chrono::milliseconds patience) {
    close();
    m_path = path;
    m_status = {};
    const auto deadline = std::chrono::steady_clock::now() + patience;
    std::string why;
    for (int replaced = 0; replaced <= MAX_REPLACEMENTS; ++replaced) {
        m_handle = system_file::Open(path, access, why);
        if (m_handle == system_file::NO_HANDLE) return fail(Status::Kind::OpenFailed, "cannot open", why);
        bool locked = false;
        while (!locked) {
            const system_file::LockTry lock = system_file::TryLock(m_handle, why);
            if (lock == system_file::LockTry::Failed) {
                close();
                return fail(Status::Kind::OpenFailed, "cannot lock", why);
            }
            locked = lock == system_file::LockTry::Locked;
            if (!locked && std::chrono::steady_clock::now() >= deadline) break;
            if (!locked) std::this_thread::sleep_for(RETRY_INTERVAL);
        }
        if (!locked) break;
        if (system_file::Names(m_handle, path)) return {};
        // Another writer renamed a new file over the one we waited for.
        close();
    }
    close();
    m_status = {Status::Kind::OpenFailed, PathText(path) + " is being written by another program"};
    m_status.cause = Status::Cause::Busy;
    m_status.path = PathText(path);
    return m_status;
}

bool LockedFile::isOpen() const { return m_handle != system_file::NO_HANDLE; }

Status LockedFile::size(std::uintmax_t& bytes) {
    if (!isOpen()) return notOpen();
    std::string why;
    if (!system_file::Size(m_handle, bytes, why)) return fail(Status::Kind::OpenFailed, "cannot read", why);
    return {};
}

std::size_t LockedFile::read(std::uintmax_t offset, void* into, std::size_t n) {
    return isOpen() ? system_file::ReadAt(m_handle, offset, into, n) : 0;
}

Status LockedFile::write(std::uintmax_t offset, const void* data, std::size_t n) {
    if (!isOpen()) return notOpen();
    std::string why;
    if (!system_file::WriteAt(m_handle, offset, data, n, why)) return fail(Status::Kind::SaveFailed, "cannot write", why);
    return {};
}

Status LockedFile::flush() {
    if (!isOpen()) return notOpen();
    std::string why;
    if (!system_file::Flush(m_handle, why)) return fail(Status::Kind::SaveFailed, "cannot write", why);
    return {};
}

Status LockedFile::truncate(std::uintmax_t size) {
    if (!isOpen()) return notOpen();
    std::string why;
    if (!system_file::Truncate(m_handle, size, why)) return fail(Status::Kind::SaveFailed, "cannot write", why);
    return {};
}

void LockedFile::releaseForRename() {
    if (!system_file::RenamesOverOpenFiles()) close();
}

void LockedFile::close() {
    if (m_handle == system_file::NO_HANDLE) return;
    system_file::Close(m_handle);  // the lock goes with the handle
    m_handle = system_file::NO_HANDLE;
}

}  // namespace varnelo
