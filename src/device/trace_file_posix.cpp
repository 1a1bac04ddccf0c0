// The trace's file through plain descriptors: opened without waiting for a
// FIFO's reader, written without ever raising SIGPIPE, and never waiting
// long on a reader that has stopped reading.
#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <optional>

#include "device/trace_file.h"

namespace varnelo {

namespace {

// How long one event may wait for a pipe's reader to make room.
constexpr std::chrono::milliseconds READER_PATIENCE{1000};

// Holds SIGPIPE off this thread while a pipe is written, and takes back the
// one a write to a closed pipe raised, so the program's own handling of
// SIGPIPE (standard output into `head`) stays as it was.
class PipeSignalHeld {
public:
    PipeSignalHeld() {
        sigemptyset(&m_pipe);
        sigaddset(&m_pipe, SIGPIPE);
        pthread_sigmask(SIG_BLOCK, &m_pipe, &m_old);
        sigset_t pending;
        sigemptyset(&pending);
        m_wasPending = sigpending(&pending) == 0 && sigismember(&pending, SIGPIPE) == 1;
    }
    ~PipeSignalHeld() { pthread_sigmask(SIG_SETMASK, &m_old, nullptr); }
    PipeSignalHeld(const PipeSignalHeld&) = delete;
    PipeSignalHeld& operator=(const PipeSignalHeld&) = delete;

    void takeBackRaised() {
        if (m_wasPending) return;
        const timespec none{};
        while (sigtimedwait(&m_pipe, nullptr, &none) < 0 && errno == EINTR) {
        }
    }

private:
    sigset_t m_pipe;
    sigset_t m_old;
    bool m_wasPending = false;
};

int PatienceLeftMs(std::chrono::steady_clock::time_point until) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(until - std::chrono::steady_clock::now());
    return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

}  // namespace

struct TraceFile::Sink {
    int fd = -1;
    bool pipe = false;  // a FIFO or socket: writes may raise SIGPIPE or wait for the reader
};

TraceFile::SinkHandle OpenTraceSink(const std::filesystem::path& path, std::string& why) {
    int fd = -1;
    do {
        fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        const int error = errno;
        struct stat st {};
        if (error == ENXIO && ::stat(path.c_str(), &st) == 0 && S_ISFIFO(st.st_mode)) {
            why = "nothing reads from it";
        } else {
            why = std::strerror(error);
        }
        return nullptr;
    }
    TraceFile::SinkHandle sink(new TraceFile::Sink);
    sink->fd = fd;
    struct stat st {};
    sink->pipe = ::fstat(fd, &st) == 0 && (S_ISFIFO(st.st_mode) || S_ISSOCK(st.st_mode));
    return sink;
}

bool WriteTraceSink(TraceFile::Sink& sink, std::string_view text, std::string& why) {
    std::optional<PipeSignalHeld> held;
    if (sink.pipe) held.emplace();
    const auto until = std::chrono::steady_clock::now() + READER_PATIENCE;
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(sink.fd, text.data() + done, text.size() - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            pollfd fd{sink.fd, POLLOUT, 0};
            const int ms = PatienceLeftMs(until);
            if (ms > 0 && (::poll(&fd, 1, ms) > 0 || errno == EINTR)) continue;
            why = "its reader does not keep up";
            return false;
        }
        if (n < 0 && errno == EPIPE) {
            if (held) held->takeBackRaised();
            why = "its reader has gone";
            return false;
        }
        why = n < 0 ? std::strerror(errno) : "nothing could be written";
        return false;
    }
    return true;
}

void TraceFile::SinkCloser::operator()(Sink* sink) const {
    if (sink->fd >= 0) ::close(sink->fd);
    delete sink;
}

}  // namespace varnelo
