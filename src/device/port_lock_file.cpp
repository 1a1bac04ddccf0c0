#include "device/port_lock_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "device/port_lock.h"

namespace varnelo {

namespace {

constexpr mode_t LOCK_MODE = 0644;  // every serial program may read who holds the port

std::string Folder(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

bool WriteAll(int fd, const std::string& content) {
    std::size_t done = 0;
    while (done < content.size()) {
        const ssize_t n = ::write(fd, content.data() + done, content.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

std::string LockContent(long pid, const std::string& program, const std::string& host) {
    return std::to_string(pid) + "\n" + program + "\n" + host + "\n";
}

LockTaking TakePortLock(const std::string& path, const std::string& content, int& errorNumber) {
    // lockdev's name for its temporary: one per process, so a leftover of a
    // process that had this number before is ours to replace.
    const std::string temporary = Folder(path) + "/LTMP." + std::to_string(::getpid());
    ::unlink(temporary.c_str());
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, LOCK_MODE);
    if (fd < 0) {
        errorNumber = errno;
        return LockTaking::Unwritable;
    }
    const bool written = ::fchmod(fd, LOCK_MODE) == 0 && WriteAll(fd, content);
    const int writeError = errno;
    if (::close(fd) != 0 || !written) {
        errorNumber = written ? errno : writeError;
        ::unlink(temporary.c_str());
        return LockTaking::Unwritable;
    }
    const bool linked = ::link(temporary.c_str(), path.c_str()) == 0;
    const int linkError = errno;
    // Some file systems report a link that was made as failed: the count
    // of links to the temporary tells.
    struct stat info {};
    const bool taken = linked || (::stat(temporary.c_str(), &info) == 0 && info.st_nlink == 2);
    ::unlink(temporary.c_str());
    if (taken) return LockTaking::Taken;
    errorNumber = linkError;
    return linkError == EEXIST ? LockTaking::Held : LockTaking::Unwritable;
}

bool ReadPortLock(const std::string& path, std::string& content, std::size_t limit) {
    content.clear();
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return false;
    content.resize(limit);
    ssize_t n = 0;
    do {
        n = ::read(fd, content.data(), limit);
    } while (n < 0 && errno == EINTR);
    ::close(fd);
    content.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
    return n >= 0;
}

void GivePortLockBack(const std::string& path) {
    std::string content;
    if (!ReadPortLock(path, content)) return;
    const auto holder = ReadLockHolder(content);
    if (holder && holder->pid == static_cast<long>(::getpid())) ::unlink(path.c_str());
}

}  // namespace varnelo
