#pragma once
// The two exchanges every conversation with the logger is made of. Request
// asks for a reply of known length; Send delivers a payload and takes the
// 2-byte acknowledgement. Each writes its whole frame in one call and reads
// its reply as one logical read, judged only by the byte counts, and the
// whole exchange shares one deadline so that a silent logger cannot hang us.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "device/byte_link.h"
#include "device/command.h"

namespace varnelo {

// Time allowed for one whole exchange: header out, reply in.
inline constexpr std::chrono::milliseconds EXCHANGE_TIMEOUT{2000};

struct ExchangeResult {
    enum class Status {
        Ok,
        Refused,      // length outside what the protocol allows: nothing was written
        WriteShort,   // the frame did not go out whole: nothing was read
        ReplyShort,   // fewer reply bytes than expected arrived in time
        ReplyLong,    // more bytes came than were asked for: the reply cannot be trusted
    };
    Status status = Status::Ok;
    std::size_t expected = 0;  // bytes of the frame (Refused, WriteShort) or of the reply
    std::size_t done = 0;      // bytes written (WriteShort) or received (ReplyShort, Ok)

    bool ok() const { return status == Status::Ok; }
    explicit operator bool() const { return ok(); }
};

// Writes the header (code, 0, n) and reads exactly n bytes into reply; on a
// short reply the bytes that did arrive are already in the buffer. A reply
// followed at once by bytes nobody asked for fails as ReplyLong.
// n must be 1..65535.
ExchangeResult Request(ByteLink& link, DeviceCommand code, std::uint8_t* reply, std::size_t n,
                       std::chrono::milliseconds timeout = EXCHANGE_TIMEOUT);

// Writes header and payload as one frame, then reads the 2-byte acknowledgement.
// The payload may be empty (header alone) and holds at most MAX_SEND_PAYLOAD bytes.
ExchangeResult Send(ByteLink& link, DeviceCommand code, std::span<const std::uint8_t> payload,
                    std::chrono::milliseconds timeout = EXCHANGE_TIMEOUT);

// The retry rule: a failed exchange is worth one more try, after the stale
// input is discarded, when its reply came short, long or too late, or its
// frame did not go out in time; never when the port has gone or the frame
// was refused, which a second try would only repeat.
bool WorthRetrying(const ExchangeResult& result, const ByteLink& link);

// One exchange that failed, kept as a value: each program words it in its
// own language (Describe is the English of varnelo-cli and the trace).
struct ExchangeFailure {
    DeviceCommand command = DeviceCommand::CMD_READ_RECORD;
    ExchangeResult result;
    bool gone = false;  // the port had gone: nothing more goes through it
};
ExchangeFailure FailureOf(DeviceCommand code, const ExchangeResult& result, const ByteLink& link);

// "record read (command 16): 1200 of 6728 reply bytes arrived in time", for messages.
std::string Describe(const ExchangeFailure& failure);
std::string DescribeFailure(DeviceCommand code, const ExchangeResult& result, const ByteLink& link);

}  // namespace varnelo
