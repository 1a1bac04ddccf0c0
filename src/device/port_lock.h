#pragma once
// The lock files that serial programs on Unix leave beside a port they hold
// ("LCK..ttyACM0" in /var/lock): who holds one, and whether that holder is
// gone, so that a lock left by a killed program is cleared at once instead
// of a port being reported in use by nobody.

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace varnelo {

// The folders a lock file may live in, in the order serial programs look:
// the first that can be read and either holds the lock or can be written
// is the one. A program's own temporary folder comes last.
const std::vector<std::string>& LockFolders();

// The lock file's name for a device: its path without "/dev/", each '/' as
// '_': "/dev/ttyACM0" gives "LCK..ttyACM0", "/dev/pts/3" gives "LCK..pts_3".
std::string LockFileName(std::string_view devicePath);

struct LockHolder {
    long pid = 0;
    std::string host;     // empty when the lock does not say
    std::string program;  // Qt's form only
};

// The holder a lock names, in any of the forms in use: Qt's ("pid\napp\nhost\n"),
// the ASCII one of HDB UUCP ("      1234\n") or the binary one of old UUCP
// (the process id as 4 bytes in this machine's order). Nothing when the
// content names no process.
std::optional<LockHolder> ReadLockHolder(std::string_view content);

// A process that has ended but not yet been waited for (a zombie) holds
// no files: true when the text of its /proc/PID/stat says so.
bool ProcessStatSaysEnded(std::string_view stat);

// A lock of another machine names a process this one cannot look up: it
// is judged by its age alone, as other serial programs judge it, and is
// stale when older than this.
inline constexpr std::chrono::seconds UNJUDGED_LOCK_AGE{30};
// Every writer we know of makes its lock whole before it shows (a linked
// temporary, as ours and lockdev's) or writes it at once after creating it
// (Qt's): a lock that names no process at all (empty, unreadable or
// garbled) this long after it was made belongs to a writer that died
// half way, and would otherwise keep the port for good.
inline constexpr std::chrono::seconds UNREADABLE_LOCK_AGE{5};

// A lock is stale when it names a process of this machine that no longer
// exists; one that names a living process is never stale, however old.
// processGone(pid) is asked only for a lock of this machine. An unreadable
// lock is passed as empty content.
bool LockIsStale(std::string_view content, std::string_view thisHost, std::chrono::seconds age,
                 const std::function<bool(long)>& processGone);

}  // namespace varnelo
