#include "simulator/pty_server.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <thread>
#include <vector>

namespace varnelo {

namespace {

constexpr std::chrono::milliseconds IDLE_POLL{10};  // while no client holds the terminal open

std::string Errno(const std::string& what) { return what + ": " + std::strerror(errno); }

// The terminal starts in raw mode: no echo of the logger's replies back to
// it, no line editing, no translation of bytes such as CR or ^C.
bool MakeRaw(const std::string& path, std::string& error) {
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY);
    if (fd < 0) {
        error = Errno("cannot open " + path);
        return false;
    }
    termios settings{};
    bool ok = ::tcgetattr(fd, &settings) == 0;
    if (ok) {
        ::cfmakeraw(&settings);
        ok = ::tcsetattr(fd, TCSANOW, &settings) == 0;
    }
    if (!ok) error = Errno("cannot set raw mode on " + path);
    ::close(fd);
    return ok;
}

}  // namespace

PtyServer::~PtyServer() {
    if (m_linkMade) {
        // Remove the link only while it still points at our terminal.
        char target[4096];
        const ssize_t n = ::readlink(m_options.linkPath.c_str(), target, sizeof target - 1);
        if (n > 0 && std::string(target, static_cast<std::size_t>(n)) == m_slavePath) {
            ::unlink(m_options.linkPath.c_str());
        }
    }
    if (m_master >= 0) ::close(m_master);
}

bool PtyServer::open(const PtyServerOptions& options, std::string& error) {
    m_options = options;
    m_master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (m_master < 0) {
        error = Errno("cannot create a pseudo-terminal");
        return false;
    }
    if (::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0) {
        error = Errno("cannot unlock the pseudo-terminal");
        return false;
    }
    const char* name = ::ptsname(m_master);
    if (!name) {
        error = Errno("cannot name the pseudo-terminal");
        return false;
    }
    m_slavePath = name;
    if (!MakeRaw(m_slavePath, error)) return false;
    const int flags = ::fcntl(m_master, F_GETFL);
    if (flags < 0 || ::fcntl(m_master, F_SETFL, flags | O_NONBLOCK) < 0) {
        error = Errno("cannot make the pseudo-terminal non-blocking");
        return false;
    }
    if (!m_options.linkPath.empty()) {
        // Clients may run anywhere: the path they are told is absolute.
        std::error_code ignored;
        const std::filesystem::path absolute = std::filesystem::absolute(m_options.linkPath, ignored);
        if (!absolute.empty()) m_options.linkPath = absolute.string();
        // A stale link from an earlier run is replaced; anything else there is left alone.
        struct stat existing{};
        if (::lstat(m_options.linkPath.c_str(), &existing) == 0 && S_ISLNK(existing.st_mode)) {
            ::unlink(m_options.linkPath.c_str());
        }
        if (::symlink(m_slavePath.c_str(), m_options.linkPath.c_str()) != 0) {
            error = Errno("cannot make the link " + m_options.linkPath);
            return false;
        }
        m_linkMade = true;
    }
    return true;
}

bool PtyServer::serve(LoggerModel& model, const volatile std::sig_atomic_t& stop, std::string& error) {
    std::vector<std::uint8_t> incoming(64 * 1024);
    std::vector<std::uint8_t> outgoing;
    std::size_t sent = 0;
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> wireLog(nullptr, std::fclose);
    if (!m_options.wireLogPath.empty()) {
        wireLog.reset(std::fopen(m_options.wireLogPath.c_str(), "w"));
        if (!wireLog) {
            error = Errno("cannot write " + m_options.wireLogPath);
            return false;
        }
        model.noteCommands(true);
    }
    while (!stop) {
        pollfd fd{m_master, static_cast<short>(POLLIN | (sent < outgoing.size() ? POLLOUT : 0)), 0};
        const int ready = ::poll(&fd, 1, 100);
        if (ready < 0) {
            if (errno == EINTR) continue;
            error = Errno("poll on the pseudo-terminal failed");
            return false;
        }
        if (ready == 0) continue;

        bool gotData = false;
        if (fd.revents & POLLIN) {
            const ssize_t n = ::read(m_master, incoming.data(), incoming.size());
            if (n > 0) {
                gotData = true;
                const int before = model.recordReplies();
                model.receive(std::span(incoming.data(), static_cast<std::size_t>(n)), outgoing);
                if (wireLog) {
                    // Written as it happens: whoever reads it may kill us next.
                    for (const WireCommand& c : model.takeNotedCommands()) {
                        if (c.index >= 0) {
                            std::fprintf(wireLog.get(), "%d %d\n", c.code, c.index);
                        } else {
                            std::fprintf(wireLog.get(), "%d\n", c.code);
                        }
                    }
                    std::fflush(wireLog.get());
                }
                if (model.recordReplies() != before && m_options.pace.count() > 0) {
                    std::this_thread::sleep_for(m_options.pace);
                }
            } else if (n < 0 && errno != EAGAIN && errno != EIO) {
                error = Errno("read from the pseudo-terminal failed");
                return false;
            }
        }
        // Answer at once rather than after another poll: every exchange waits on it.
        if (sent < outgoing.size() && (gotData || (fd.revents & POLLOUT))) {
            const ssize_t n = ::write(m_master, outgoing.data() + sent, outgoing.size() - sent);
            if (n > 0) sent += static_cast<std::size_t>(n);
        }
        if (sent == outgoing.size()) {
            outgoing.clear();
            sent = 0;
        }
        if ((fd.revents & POLLHUP) && !gotData) {
            // No client holds the terminal: whatever was under way is over.
            outgoing.clear();
            sent = 0;
            model.clientLeft();
            std::this_thread::sleep_for(IDLE_POLL);
        }
    }
    return true;
}

}  // namespace varnelo
