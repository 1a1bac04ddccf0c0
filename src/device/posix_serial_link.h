#pragma once
// A ByteLink over an open POSIX descriptor of a serial port: plain poll,
// readv and write calls, each wait handed the time left until the deadline.
// The descriptor is opened, configured and closed by its owner (the Qt
// serial port); this is only the exchange loop, which on a few hundred
// exchanges a second must cost no more than the system calls themselves.

#include <cstdint>
#include <optional>

#include "device/byte_link.h"

namespace varnelo {

class PosixSerialLink : public ByteLink {
public:
    explicit PosixSerialLink(int fd) : m_fd(fd) {}

    std::size_t write(std::span<const std::uint8_t> bytes, Deadline deadline) override;
    std::size_t read(std::uint8_t* buffer, std::size_t n, Deadline deadline) override;
    // Waits for the line to fall quiet, within a limit, dropping what comes.
    void discardInput() override;
    bool inputPending() override;
    bool gone() const override { return m_gone; }

    // The byte a read took beyond what it was asked for, if any: it came
    // before anything still queued. Returns 1 when it was put at `into`.
    std::size_t takeHeldByte(std::uint8_t* into);

private:
    // Waits for the descriptor until the deadline; false when it passed.
    bool waitFor(short events, Deadline deadline);

    int m_fd;
    bool m_gone = false;
    std::optional<std::uint8_t> m_heldByte;
    // The last read ended with nothing more on the line; any other call
    // forgets it.
    bool m_nothingBeyond = false;
};

}  // namespace varnelo
