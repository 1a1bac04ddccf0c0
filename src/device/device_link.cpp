#include "device/device_link.h"

#include <algorithm>
#include <array>

namespace varnelo {

namespace {

ExchangeResult Refused(std::size_t length) { return {ExchangeResult::Status::Refused, length, 0}; }

// The part every exchange shares: one write of the whole frame, then one
// logical read of the whole reply, both before the same deadline.
ExchangeResult Exchange(ByteLink& link, std::span<const std::uint8_t> frame, std::uint8_t* reply, std::size_t n,
                        Deadline deadline) {
    const std::size_t written = link.write(frame, deadline);
    if (written != frame.size()) return {ExchangeResult::Status::WriteShort, frame.size(), written};
    const std::size_t received = link.read(reply, n, deadline);
    if (received != n) return {ExchangeResult::Status::ReplyShort, n, received};
    // A surplus byte may sit anywhere in the reply, and it would shift every
    // reply after it: the exchange fails, so the caller discards and retries.
    if (link.inputPending()) return {ExchangeResult::Status::ReplyLong, n, received};
    return {ExchangeResult::Status::Ok, n, received};
}

}  // namespace

ExchangeResult Request(ByteLink& link, DeviceCommand code, std::uint8_t* reply, std::size_t n,
                       std::chrono::milliseconds timeout) {
    if (n == 0 || n > MAX_EXCHANGE_LENGTH) return Refused(n);
    const Deadline deadline = LinkClock::now() + timeout;
    const auto header = CommandHeader{code, static_cast<std::uint16_t>(n)}.bytes();
    return Exchange(link, header, reply, n, deadline);
}

ExchangeResult Send(ByteLink& link, DeviceCommand code, std::span<const std::uint8_t> payload,
                    std::chrono::milliseconds timeout) {
    if (payload.size() > MAX_SEND_PAYLOAD) return Refused(payload.size());
    const Deadline deadline = LinkClock::now() + timeout;
    std::array<std::uint8_t, HEADER_SIZE + MAX_SEND_PAYLOAD> frame;
    const auto header = CommandHeader{code, static_cast<std::uint16_t>(payload.size())}.bytes();
    std::copy(header.begin(), header.end(), frame.begin());
    std::copy(payload.begin(), payload.end(), frame.begin() + HEADER_SIZE);
    std::array<std::uint8_t, ACK_SIZE> ack{};
    return Exchange(link, std::span(frame.data(), HEADER_SIZE + payload.size()), ack.data(), ack.size(), deadline);
}

bool WorthRetrying(const ExchangeResult& result, const ByteLink& link) {
    switch (result.status) {
        case ExchangeResult::Status::WriteShort:
        case ExchangeResult::Status::ReplyShort:
        case ExchangeResult::Status::ReplyLong: return !link.gone();
        case ExchangeResult::Status::Ok:
        case ExchangeResult::Status::Refused: return false;
    }
    return false;
}

ExchangeFailure FailureOf(DeviceCommand code, const ExchangeResult& result, const ByteLink& link) {
    return {code, result, link.gone()};
}

std::string DescribeFailure(DeviceCommand code, const ExchangeResult& result, const ByteLink& link) {
    return Describe(FailureOf(code, result, link));
}

std::string Describe(const ExchangeFailure& failure) {
    const ExchangeResult& result = failure.result;
    std::string text(CommandName(failure.command));
    text += ": ";
    if (failure.gone) return text + "the port has gone (device unplugged or closed)";
    switch (result.status) {
        case ExchangeResult::Status::Ok: return text + "ok";
        case ExchangeResult::Status::Refused:
            return text + "length " + std::to_string(result.expected) + " is outside the protocol";
        case ExchangeResult::Status::WriteShort:
            return text + "only " + std::to_string(result.done) + " of " + std::to_string(result.expected) +
                   " bytes could be written";
        case ExchangeResult::Status::ReplyShort:
            return text + std::to_string(result.done) + " of " + std::to_string(result.expected) +
                   " reply bytes arrived in time";
        case ExchangeResult::Status::ReplyLong:
            return text + "the reply ran longer than the " + std::to_string(result.expected) + " bytes asked for";
    }
    return text;
}

}  // namespace varnelo
