// The serial port through QSerialPort, on systems without POSIX descriptors.
#include <QSerialPort>
#include <algorithm>
#include <memory>
#include <vector>

#include "device/qt_serial_link.h"

namespace varnelo {

namespace {

std::string OpenError(const QSerialPort& port, const std::string& portName) {
    const std::string prefix = "cannot open " + portName + ": ";
    switch (port.error()) {
        case QSerialPort::DeviceNotFoundError: return prefix + "no such port";
        case QSerialPort::PermissionError: return prefix + "the port is in use by another program, or access is denied";
        default: return prefix + port.errorString().toStdString();
    }
}

// A ByteLink over QSerialPort, used blocking.
class QtSerialLink : public ByteLink {
public:
    explicit QtSerialLink(std::unique_ptr<QSerialPort> port) : m_port(std::move(port)) {}

    std::size_t write(std::span<const std::uint8_t> bytes, Deadline deadline) override;
    std::size_t read(std::uint8_t* buffer, std::size_t n, Deadline deadline) override;
    void discardInput() override;
    bool inputPending() override;
    bool gone() const override { return m_gone; }

private:
    // Notes a lost device; false when the port can still be used.
    bool lost();

    std::unique_ptr<QSerialPort> m_port;
    bool m_gone = false;
};

}  // namespace

OpenedPort OpenSerialPort(const std::string& portName) {
    auto port = std::make_unique<QSerialPort>();
    port->setPortName(QString::fromStdString(portName));
    if (!port->open(QIODevice::ReadWrite)) {
        // Windows says "access denied" both for a port held and one not allowed.
        const Status::Cause cause = port->error() == QSerialPort::DeviceNotFoundError ? Status::Cause::PortMissing
                                    : port->error() == QSerialPort::PermissionError  ? Status::Cause::PortInUse
                                                                                     : Status::Cause::Other;
        return {nullptr, PortRefusal(portName, OpenError(*port, portName), cause, port->errorString().toStdString())};
    }

    // A USB virtual port ignores line settings; a real UART needs them. A
    // device that refuses one of them (some USB bridges do) is used as it
    // is rather than given up on.
    std::vector<std::string> notes;
    const auto tried = [&](bool done, const char* what) {
        if (!done) notes.push_back("the driver refused " + std::string(what) + ": " + port->errorString().toStdString());
        port->clearError();
    };
    tried(port->setBaudRate(QSerialPort::Baud115200), "115200 baud");
    tried(port->setDataBits(QSerialPort::Data8) && port->setParity(QSerialPort::NoParity) &&
              port->setStopBits(QSerialPort::OneStop),
          "8 data bits, no parity, one stop bit");
    tried(port->setFlowControl(QSerialPort::NoFlowControl), "no flow control");
    // Whatever an earlier client left unread would shift every reply.
    port->clear(QSerialPort::AllDirections);
    return {std::make_unique<QtSerialLink>(std::move(port)), {}, std::move(notes)};
}

namespace {

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

}  // namespace

}  // namespace varnelo
