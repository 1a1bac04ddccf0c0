#pragma once
// A ByteLink over QSerialPort, used blocking: every wait is handed the time
// left until the exchange's deadline, so nothing waits forever.

#include <QSerialPort>
#include <QSerialPortInfo>
#include <memory>
#include <optional>
#include <string>

#include "device/byte_link.h"
#include "device/port_catalog.h"

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
    bool gone() const override { return m_gone; }

private:
    explicit QtSerialLink(std::unique_ptr<QSerialPort> port) : m_port(std::move(port)) {}
    // Notes a lost device; false when the port can still be used.
    bool lost();
#ifdef Q_OS_UNIX
    // Waits for the descriptor until the deadline; false when it passed.
    bool waitFor(short events, Deadline deadline);
#endif

    std::unique_ptr<QSerialPort> m_port;
    bool m_gone = false;
#ifdef Q_OS_UNIX
    // The byte a read took beyond what it was asked for, still unread.
    std::optional<std::uint8_t> m_heldByte;
    // The last read ended with nothing more on the line; any other call
    // forgets it.
    bool m_nothingBeyond = false;
#endif
};

}  // namespace varnelo
