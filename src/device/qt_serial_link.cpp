#include "device/qt_serial_link.h"

#include <algorithm>

#ifdef Q_OS_UNIX
#include <poll.h>
#include <sys/uio.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace varnelo {

namespace {

// Discarding stale input waits for the line to fall quiet this long, but
// never longer than the limit in all.
constexpr std::chrono::milliseconds QUIET_LINE{30};
constexpr std::chrono::milliseconds DISCARD_LIMIT{500};

int RemainingMs(Deadline deadline) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - LinkClock::now());
    return static_cast<int>(std::max<std::chrono::milliseconds::rep>(left.count(), 0));
}

std::string OpenError(const QSerialPort& port, const std::string& portName) {
    const std::string prefix = "cannot open " + portName + ": ";
    switch (port.error()) {
        case QSerialPort::DeviceNotFoundError: return prefix + "no such port";
        case QSerialPort::PermissionError: {
#ifdef Q_OS_LINUX
            const QByteArray path = QSerialPortInfo(port).systemLocation().toLocal8Bit();
            if (!path.isEmpty() && ::access(path.constData(), R_OK | W_OK) != 0) {
                return prefix + "permission denied (add yourself to the 'dialout' group: sudo usermod -aG dialout " +
                       "$USER, then log in again)";
            }
#endif
            return prefix + "the port is in use by another program";
        }
        default: return prefix + port.errorString().toStdString();
    }
}

}  // namespace

OpenedPort QtSerialLink::Open(const std::string& portName) {
    auto port = std::make_unique<QSerialPort>();
    port->setPortName(QString::fromStdString(portName));
    if (!port->open(QIODevice::ReadWrite)) return {nullptr, OpenError(*port, portName)};

    // A USB virtual port ignores line settings; a real UART needs them. A
    // device that refuses one of them (some pseudo-terminals and USB
    // bridges do) is used as it is rather than given up on.
    const bool settled = port->setBaudRate(QSerialPort::Baud115200) && port->setDataBits(QSerialPort::Data8) &&
                         port->setParity(QSerialPort::NoParity) && port->setStopBits(QSerialPort::OneStop) &&
                         port->setFlowControl(QSerialPort::NoFlowControl);
    if (!settled && port->error() != QSerialPort::UnsupportedOperationError) {
        return {nullptr, "cannot configure " + portName + ": " + port->errorString().toStdString()};
    }
    port->clearError();
    // Whatever an earlier client left unread would shift every reply.
    port->clear(QSerialPort::AllDirections);
    return {std::unique_ptr<ByteLink>(new QtSerialLink(std::move(port))), {}};
}

bool QtSerialLink::lost() {
    switch (m_port->error()) {
        case QSerialPort::ResourceError:
        case QSerialPort::ReadError:
        case QSerialPort::WriteError:
        case QSerialPort::NotOpenError: m_gone = true; break;
        default: m_port->clearError(); break;
    }
    return m_gone;
}

#ifdef Q_OS_UNIX

// QSerialPort buffers every byte and polls once more for each write; at a
// few hundred exchanges a second that costs a tenth of a download. So the
// exchanges use the port's descriptor directly, as a plain loop of system
// calls would, and QSerialPort only opens, configures, clears and closes it.

bool QtSerialLink::waitFor(short events, Deadline deadline) {
    pollfd fd{static_cast<int>(m_port->handle()), events, 0};
    for (;;) {
        const int ready = ::poll(&fd, 1, RemainingMs(deadline));
        if (ready > 0) return true;  // ready, or hung up: the next call says which
        if (ready == 0 || errno != EINTR) return false;
    }
}

std::size_t QtSerialLink::write(std::span<const std::uint8_t> bytes, Deadline deadline) {
    m_nothingBeyond = false;
    const int fd = static_cast<int>(m_port->handle());
    std::size_t sent = 0;
    while (sent < bytes.size() && !m_gone) {
        const ssize_t n = ::write(fd, bytes.data() + sent, bytes.size() - sent);
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
    if (sent < bytes.size() && !m_gone) ::tcflush(fd, TCOFLUSH);
    return sent;
}

std::size_t QtSerialLink::read(std::uint8_t* buffer, std::size_t n, Deadline deadline) {
    m_nothingBeyond = false;
    std::size_t got = 0;
    // A byte read ahead by the last call came before anything still queued.
    if (m_heldByte && n > 0) {
        buffer[got++] = *m_heldByte;
        m_heldByte.reset();
    }
    // Bytes that QSerialPort took in while an event loop ran come next.
    if (got < n && m_port->bytesAvailable() > 0) {
        const qint64 buffered =
            m_port->read(reinterpret_cast<char*>(buffer + got), static_cast<qint64>(n - got));
        got += static_cast<std::size_t>(std::max<qint64>(buffered, 0));
    }
    const int fd = static_cast<int>(m_port->handle());
    while (got < n && !m_gone) {
        if (!waitFor(POLLIN, deadline)) break;
        // One byte more than asked tells in the same call whether the reply
        // runs long, which saves the check a system call of its own.
        std::uint8_t spare = 0;
        iovec pieces[2] = {{buffer + got, n - got}, {&spare, 1}};
        const ssize_t r = ::readv(fd, pieces, 2);
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

#else

std::size_t QtSerialLink::write(std::span<const std::uint8_t> bytes, Deadline deadline) {
    if (m_gone) return 0;
    const qint64 queued =
        m_port->write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
    if (queued < 0) {
        lost();
        return 0;
    }
    while (m_port->bytesToWrite() > 0) {
        const int ms = RemainingMs(deadline);
        if (ms == 0 || (!m_port->waitForBytesWritten(ms) && lost())) break;
    }
    const auto pending = static_cast<std::size_t>(m_port->bytesToWrite());
    if (pending > 0) {
        // Nothing of a frame that missed its deadline may go out later.
        m_port->clear(QSerialPort::Output);
        lost();
    }
    return static_cast<std::size_t>(queued) - std::min(pending, static_cast<std::size_t>(queued));
}

std::size_t QtSerialLink::read(std::uint8_t* buffer, std::size_t n, Deadline deadline) {
    std::size_t got = 0;
    while (got < n && !m_gone) {
        if (m_port->bytesAvailable() > 0) {
            const qint64 r = m_port->read(reinterpret_cast<char*>(buffer + got), static_cast<qint64>(n - got));
            if (r > 0) {
                got += static_cast<std::size_t>(r);
                continue;
            }
            if (lost()) break;
            // A read that yields nothing falls through to the deadline check,
            // so it can never spin forever.
        }
        const int ms = RemainingMs(deadline);
        if (ms == 0) break;
        if (!m_port->waitForReadyRead(ms) && m_port->bytesAvailable() == 0) lost();
    }
    return got;
}

#endif

bool QtSerialLink::inputPending() {
    if (m_gone) return false;
    if (m_port->bytesAvailable() > 0) return true;
#ifdef Q_OS_UNIX
    if (m_heldByte) return true;
    if (m_nothingBeyond) return false;
    pollfd fd{static_cast<int>(m_port->handle()), POLLIN, 0};
    return ::poll(&fd, 1, 0) > 0 && (fd.revents & POLLIN) != 0;
#else
    // Bytes still in the system reach the port's own buffer only through a wait.
    if (!m_port->waitForReadyRead(0)) lost();
    return m_port->bytesAvailable() > 0;
#endif
}

void QtSerialLink::discardInput() {
#ifdef Q_OS_UNIX
    m_heldByte.reset();
    m_nothingBeyond = false;
#endif
    if (m_gone) return;
    const Deadline limit = LinkClock::now() + DISCARD_LIMIT;
    m_port->clear(QSerialPort::Input);
    // Bytes of a late reply may still be on their way.
    while (LinkClock::now() < limit) {
        const int ms = std::min(RemainingMs(limit), static_cast<int>(QUIET_LINE.count()));
        if (!m_port->waitForReadyRead(ms)) {
            lost();
            break;
        }
        m_port->clear(QSerialPort::Input);
    }
}

}  // namespace varnelo
