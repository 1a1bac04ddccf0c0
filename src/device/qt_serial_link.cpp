#include "device/qt_serial_link.h"

#include <algorithm>

#ifdef Q_OS_LINUX
#include <unistd.h>
#endif

namespace varnelo {

namespace {

#ifndef Q_OS_UNIX
// Discarding stale input waits for the line to fall quiet this long, but
// never longer than the limit in all.
constexpr std::chrono::milliseconds QUIET_LINE{30};
constexpr std::chrono::milliseconds DISCARD_LIMIT{500};

int RemainingMs(Deadline deadline) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - LinkClock::now());
    return static_cast<int>(std::max<std::chrono::milliseconds::rep>(left.count(), 0));
}
#endif

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
// calls would.

QtSerialLink::QtSerialLink(std::unique_ptr<QSerialPort> port)
    : m_port(std::move(port)), m_exchanges(static_cast<int>(m_port->handle())) {}

bool QtSerialLink::gone() const { return m_gone || m_exchanges.gone(); }

std::size_t QtSerialLink::write(std::span<const std::uint8_t> bytes, Deadline deadline) {
    return m_exchanges.write(bytes, deadline);
}

std::size_t QtSerialLink::read(std::uint8_t* buffer, std::size_t n, Deadline deadline) {
    // A byte read ahead by the last call came first, then bytes that
    // QSerialPort took in while an event loop ran, then what is still queued.
    std::size_t got = n > 0 ? m_exchanges.takeHeldByte(buffer) : 0;
    if (got < n && m_port->bytesAvailable() > 0) {
        const qint64 buffered = m_port->read(reinterpret_cast<char*>(buffer + got), static_cast<qint64>(n - got));
        got += static_cast<std::size_t>(std::max<qint64>(buffered, 0));
    }
    return got + m_exchanges.read(buffer + got, n - got, deadline);
}

bool QtSerialLink::inputPending() { return m_port->bytesAvailable() > 0 || m_exchanges.inputPending(); }

void QtSerialLink::discardInput() {
    if (!gone()) m_port->clear(QSerialPort::Input);
    m_exchanges.discardInput();
}

#else

QtSerialLink::QtSerialLink(std::unique_ptr<QSerialPort> port) : m_port(std::move(port)) {}

bool QtSerialLink::gone() const { return m_gone; }

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

bool QtSerialLink::inputPending() {
    if (m_gone) return false;
    if (m_port->bytesAvailable() > 0) return true;
    // Bytes still in the system reach the port's own buffer only through a wait.
    if (!m_port->waitForReadyRead(0)) lost();
    return m_port->bytesAvailable() > 0;
}

void QtSerialLink::discardInput() {
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

#endif

}  // namespace varnelo
