#include "device/posix_serial_link.h"

#include <poll.h>
#include <sys/uio.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace varnelo {

bool PosixSerialLink::waitFor(short events, Deadline deadline) {
    pollfd fd{m_fd, events, 0};
    for (;;) {
        const int ready = ::poll(&fd, 1, RemainingMs(deadline));
        if (ready > 0) return true;  // ready, or hung up: the next call says which
        if (ready == 0 || errno != EINTR) return false;
    }
}

std::size_t PosixSerialLink::write(std::span<const std::uint8_t> bytes, Deadline deadline) {
    m_nothingBeyond = false;
    std::size_t sent = 0;
    while (sent < bytes.size() && !m_gone) {
        const ssize_t n = ::write(m_fd, bytes.data() + sent, bytes.size() - sent);
        if (n > 0) {
            sent += static_cast<std::size_t>(n);
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            if (!waitFor(POLLOUT, deadline)) break;
        } else {
            m_gone = true;  // the device has gone (EIO, ENXIO)
        }
    }
    // Nothing of a frame that missed its deadline may go out later.
    if (sent < bytes.size() && !m_gone) ::tcflush(m_fd, TCOFLUSH);
    return sent;
}

std::size_t PosixSerialLink::takeHeldByte(std::uint8_t* into) {
    if (!m_heldByte) return 0;
    *into = *m_heldByte;
    m_heldByte.reset();
    return 1;
}

std::size_t PosixSerialLink::read(std::uint8_t* buffer, std::size_t n, Deadline deadline) {
    m_nothingBeyond = false;
    std::size_t got = n > 0 ? takeHeldByte(buffer) : 0;
    while (got < n && !m_gone) {
        if (!waitFor(POLLIN, deadline)) break;
        // One byte more than asked tells in the same call whether the reply
        // runs long, which saves the check a system call of its own.
        std::uint8_t spare = 0;
        iovec pieces[2] = {{buffer + got, n - got}, {&spare, 1}};
        const ssize_t r = ::readv(m_fd, pieces, 2);
        if (r > 0) {
            const auto taken = static_cast<std::size_t>(r);
            if (taken > n - got) m_heldByte = spare;
            m_nothingBeyond = taken == n - got;
            got += std::min(taken, n - got);
        } else if (r == 0 || (errno != EINTR && errno != EAGAIN && errno != EWOULDBLOCK)) {
            m_gone = true;  // hung up (EIO, or end of file)
        }
    }
    return got;
}

bool PosixSerialLink::inputPending() {
    if (m_gone) return false;
    if (m_heldByte) return true;
    if (m_nothingBeyond) return false;
    pollfd fd{m_fd, POLLIN, 0};
    return ::poll(&fd, 1, 0) > 0 && (fd.revents & POLLIN) != 0;
}

void PosixSerialLink::discardInput() {
    m_heldByte.reset();
    m_nothingBeyond = false;
    if (m_gone) return;
    const Deadline limit = LinkClock::now() + DISCARD_LIMIT;
    ::tcflush(m_fd, TCIFLUSH);
    // Bytes of a late reply may still be on their way.
    while (LinkClock::now() < limit) {
        const Deadline quiet = std::min(limit, LinkClock::now() + QUIET_LINE);
        if (!waitFor(POLLIN, quiet)) break;
        pollfd fd{m_fd, POLLIN, 0};
        if (::poll(&fd, 1, 0) > 0 && (fd.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) {
            m_gone = true;
            return;
        }
        ::tcflush(m_fd, TCIFLUSH);
    }
}

}  // namespace varnelo
