#pragma once
// The one thing the device code knows about a port: bytes out, bytes in, each
// bounded by an absolute deadline. Serial ports, the in-process simulated
// logger and test fakes all sit behind it, so the protocol never knows which
// one it is talking to.

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace varnelo {

using LinkClock = std::chrono::steady_clock;
using Deadline = LinkClock::time_point;

// Whole milliseconds left until the deadline, rounded up, never negative:
// what a system wait takes.
inline int RemainingMs(Deadline deadline) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - LinkClock::now());
    return static_cast<int>(std::max<std::chrono::milliseconds::rep>(left.count(), 0));
}

// Discarding stale input waits for the line to fall quiet this long, but
// never longer than the limit in all.
inline constexpr std::chrono::milliseconds QUIET_LINE{30};
inline constexpr std::chrono::milliseconds DISCARD_LIMIT{500};

class ByteLink {
public:
    virtual ~ByteLink() = default;

    // Hands the bytes to the port; returns how many of them went out by the deadline.
    virtual std::size_t write(std::span<const std::uint8_t> bytes, Deadline deadline) = 0;

    // Fills buffer with up to n bytes, waiting until all n have arrived or the
    // deadline has passed; returns how many arrived. Bytes beyond n stay queued.
    virtual std::size_t read(std::uint8_t* buffer, std::size_t n, Deadline deadline) = 0;

    // Drops whatever has arrived but not been read, including late bytes of an
    // earlier reply still on their way, so the next exchange starts clean.
    virtual void discardInput() = 0;

    // True when bytes have arrived that nothing has asked for yet. Right after
    // a complete reply that means the logger sent more than it was asked for,
    // and every later reply would be shifted by the surplus. Never waits.
    virtual bool inputPending() { return false; }

    // True once the port has gone for good (device unplugged, peer closed):
    // every later exchange fails at once.
    virtual bool gone() const { return false; }
};

}  // namespace varnelo
