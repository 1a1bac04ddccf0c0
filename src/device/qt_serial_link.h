#pragma once
// A ByteLink over QSerialPort, used blocking: every wait is handed the time
// left until the exchange's deadline, so nothing waits forever. Where the
// port has a POSIX descriptor, QSerialPort only opens, configures, clears
// and closes it, and the exchanges run through PosixSerialLink.

#include <QSerialPort>
#include <QSerialPortInfo>
#include <memory>
#include <optional>
#include <string>

#include "device/byte_link.h"
#include "device/port_catalog.h"
#ifdef Q_OS_UNIX
#include "device/posix_serial_link.h"
#endif

namespace varnelo {

class QtSerialLink : public ByteLink {
public:
    // Opens the port (a name such as "ttyACM0" or "COM3", or a path) in raw
    // mode without flow control. On failure the error names the port and
    // says why, with a hint where the fix is known.
    static OpenedPort Open(const std::string& portName);

    std::size_t write(std::span<const std::uint8_t> bytes, Deadline deadline) override;
    std::size_t read(std::uint8_t* buffer, std::size_t n, Deadline deadline) override;
    void discardInput() override;
    bool inputPending() override;
    bool gone() const override;

private:
    explicit QtSerialLink(std::unique_ptr<QSerialPort> port);
    // Notes a lost device; false when the port can still be used.
    bool lost();

    std::unique_ptr<QSerialPort> m_port;
    bool m_gone = false;
#ifdef Q_OS_UNIX
    PosixSerialLink m_exchanges;
#endif
};

}  // namespace varnelo
