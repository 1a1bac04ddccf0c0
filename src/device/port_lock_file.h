#pragma once
// Taking and giving back a lock file beside a serial port (port_lock.h), on
// the systems that have them. The lock is written whole to a temporary
// beside it and then linked into place, as lockdev does: no other program
// ever sees it empty or half written, and two programs taking it at once
// cannot both succeed, since the link fails for the second.

#include <string>

namespace varnelo {

enum class LockTaking {
    Taken,
    Held,        // another lock stands there
    Unwritable,  // the folder takes no lock: errorNumber says why
};

// Takes the lock at `path` with `content` (see LockContent).
LockTaking TakePortLock(const std::string& path, const std::string& content, int& errorNumber);

// The content this process writes: Qt's form, "pid\nprogram\nhost\n", which
// QSerialPort and the UUCP readers (that take the first line's number) read.
std::string LockContent(long pid, const std::string& program, const std::string& host);

// Removes the lock at `path` if it is still this process's.
void GivePortLockBack(const std::string& path);

// The lock's content, at most `limit` bytes; false when it cannot be read.
bool ReadPortLock(const std::string& path, std::string& content, std::size_t limit = 4096);

}  // namespace varnelo
