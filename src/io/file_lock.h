#pragma once
// A file held with an exclusive lock that every writer of this program takes
// before it changes the file in place or renames a new file over it: an
// append holds it for its whole run, a replacement for the moment of the
// rename. Readers take no lock and are never kept waiting. The system drops
// the lock with the process, however the process ends, so no lock outlives
// its holder and none is ever left to clean up.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

#include "io/status.h"

namespace varnelo {

// How long a writer waits for another to finish before it gives up.
inline constexpr std::chrono::milliseconds LOCK_PATIENCE{2000};

enum class LockAccess { Read, ReadWrite };

class LockedFile {
public:
    LockedFile() = default;
    ~LockedFile() { close(); }
    LockedFile(const LockedFile&) = delete;
    LockedFile& operator=(const LockedFile&) = delete;

    // Opens the existing file at `path` and locks it, trying again for
    // `patience` while another holds it. Once locked, the path must still
    // name the file that was locked: one renamed over it meanwhile is opened
    // and locked in its place. Fails as OpenFailed, with the cause Busy
    // when another writer kept its lock all that time.
    Status open(const std::filesystem::path& path, LockAccess access, std::chrono::milliseconds patience = LOCK_PATIENCE);
    bool isOpen() const;
    // The last failure, kept until the next open.
    const Status& status() const { return m_status; }

    Status size(std::uintmax_t& bytes);
    // Reads n bytes from offset; returns how many leading bytes arrived.
    std::size_t read(std::uintmax_t offset, void* into, std::size_t n);
    // Each writes all or fails as SaveFailed; the file stays open.
    Status write(std::uintmax_t offset, const void* data, std::size_t n);
    Status flush();  // to the disk, not only into the system's cache
    Status truncate(std::uintmax_t size);

    // Lets another file be renamed over this one. Where an open file cannot
    // be replaced (Windows) it is closed now, and a writer that opens it
    // between then and the rename makes the rename fail instead; elsewhere
    // the lock is held until close().
    void releaseForRename();
    void close();

private:
    Status fail(Status::Kind kind, const std::string& what, const std::string& why);
    Status notOpen() const;

    std::intptr_t m_handle = -1;
    std::filesystem::path m_path;
    Status m_status;
};

}  // namespace varnelo
