#include "device/device_link.h"

#include <algorithm>
#include <array>
#include <string>

namespace varnelo {

namespace {

std::string Why(Status::Kind kind, std::size_t expected, std::size_t done) {
    switch (kind) {
        case Status::Kind::PortGone: return "the port has gone (device unplugged or closed)";
        case Status::Kind::ExchangeRefused: return "length " + std::to_string(expected) + " is outside the protocol";
        case Status::Kind::WriteShort:
            return "only " + std::to_string(done) + " of " + std::to_string(expected) + " bytes could be written";
        case Status::Kind::ReplyShort:
            return std::to_string(done) + " of " + std::to_string(expected) + " reply bytes arrived in time";
        case Status::Kind::ReplyLong:
            return "the reply ran longer than the " + std::to_string(expected) + " bytes asked for";
        default: return {};
    }
}

// The part every exchange shares: one write of the whole frame, then one
// logical read of the whole reply, both before the same deadline.
Status Exchange(ByteLink& link, DeviceCommand code, std::span<const std::uint8_t> frame, std::uint8_t* reply,
                std::size_t n, Deadline deadline) {
    const auto failed = [&](Status::Kind kind, std::size_t expected, std::size_t done) {
        return ExchangeStatus(code, link.gone() ? Status::Kind::PortGone : kind, expected, done);
    };
    const std::size_t written = link.write(frame, deadline);
    if (written != frame.size()) return failed(Status::Kind::WriteShort, frame.size(), written);
    const std::size_t received = link.read(reply, n, deadline);
    if (received != n) return failed(Status::Kind::ReplyShort, n, received);
    // A surplus byte may sit anywhere in the reply, and it would shift every
    // reply after it: the exchange fails, so the caller discards and retries.
    if (link.inputPending()) return failed(Status::Kind::ReplyLong, n, received);
    return ExchangeStatus(code, Status::Kind::Ok, n, received);
}

}  // namespace

Status ExchangeStatus(DeviceCommand code, Status::Kind kind, std::size_t expected, std::size_t done) {
    Status status;
    status.kind = kind;
    status.command = static_cast<int>(code);
    status.expected = expected;
    status.done = done;
    // Only a failure is worded: a download makes thousands of exchanges.
    if (!status.ok()) status.detail = std::string(CommandName(code)) + ": " + Why(kind, expected, done);
    return status;
}

Status Request(ByteLink& link, DeviceCommand code, std::uint8_t* reply, std::size_t n,
               std::chrono::milliseconds timeout) {
    if (n == 0 || n > MAX_EXCHANGE_LENGTH) return ExchangeStatus(code, Status::Kind::ExchangeRefused, n);
    const Deadline deadline = LinkClock::now() + timeout;
    const auto header = CommandHeader{code, static_cast<std::uint16_t>(n)}.bytes();
    return Exchange(link, code, header, reply, n, deadline);
}

Status Send(ByteLink& link, DeviceCommand code, std::span<const std::uint8_t> payload,
            std::chrono::milliseconds timeout) {
    if (payload.size() > MAX_SEND_PAYLOAD) return ExchangeStatus(code, Status::Kind::ExchangeRefused, payload.size());
    const Deadline deadline = LinkClock::now() + timeout;
    std::array<std::uint8_t, HEADER_SIZE + MAX_SEND_PAYLOAD> frame;
    const auto header = CommandHeader{code, static_cast<std::uint16_t>(payload.size())}.bytes();
    std::copy(header.begin(), header.end(), frame.begin());
    std::copy(payload.begin(), payload.end(), frame.begin() + HEADER_SIZE);
    std::array<std::uint8_t, ACK_SIZE> ack{};
    return Exchange(link, code, std::span(frame.data(), HEADER_SIZE + payload.size()), ack.data(), ack.size(),
                    deadline);
}

bool WorthRetrying(const Status& result, const ByteLink& link) {
    switch (result.kind) {
        case Status::Kind::WriteShort:
        case Status::Kind::ReplyShort:
        case Status::Kind::ReplyLong: return !link.gone();
        default: return false;
    }
}

}  // namespace varnelo
