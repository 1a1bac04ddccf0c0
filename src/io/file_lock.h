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
    // and locked in its place. Returns false with error() set; busy() then
    // says whether it was another writer's lock.
    bool open(const std::filesystem::path& path, LockAccess access, std::chrono::milliseconds patience = LOCK_PATIENCE);
    bool isOpen() const;
    bool busy() const { return m_busy; }
    const std::string& error() const { return m_error; }

    bool size(std::uintmax_t& bytes);
    // Reads n bytes from offset; returns how many leading bytes arrived.
    std::size_t read(std::uintmax_t offset, void* into, std::size_t n);
    // Each writes all or fails with error() set; the file stays open.
    bool write(std::uintmax_t offset, const void* data, std::size_t n);
    bool flush();  // to the disk, not only into the system's cache
    bool truncate(std::uintmax_t size);

    // Lets another file be renamed over this one. Where an open file cannot
    // be replaced (Windows) it is closed now, and a writer that opens it
    // between then and the rename makes the rename fail instead; elsewhere
    // the lock is held until close().
    void releaseForRename();
    void close();

private:
    bool fail(const std::string& what, const std::string& why);

    std::intptr_t m_handle = -1;
    std::filesystem::path m_path;
    bool m_busy = false;
    std::string m_error;
};

}  // namespace varnelo
