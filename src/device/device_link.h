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
#include "io/status.h"

namespace varnelo {

// Time allowed for one whole exchange: header out, reply in.
inline constexpr std::chrono::milliseconds EXCHANGE_TIMEOUT{2000};

// How an exchange ended: Ok, or ExchangeRefused (a length outside what
// the protocol allows: nothing was written), WriteShort (the frame did not
// go out whole: nothing was read), ReplyShort (fewer reply bytes than
// expected arrived in time), ReplyLong (more came than were asked for: the
// reply cannot be trusted) or PortGone (nothing more goes through the
// port). It names the command; expected counts the bytes of the frame
// (ExchangeRefused, WriteShort) or of the reply, done those written
// (WriteShort) or received. A failure's detail is the English of
// varnelo-cli and the trace: "record read (command 16): 1200 of 6728
// reply bytes arrived in time".
Status ExchangeStatus(DeviceCommand code, Status::Kind kind, std::size_t expected = 0, std::size_t done = 0);

// The command an exchange's status names.
inline DeviceCommand CommandOf(const Status& status) { return static_cast<DeviceCommand>(status.command); }

// Writes the header (code, 0, n) and reads exactly n bytes into reply; on a
// short reply the bytes that did arrive are already in the buffer. A reply
// followed at once by bytes nobody asked for fails as ReplyLong; any
// failure once the port has gone is PortGone.
// n must be 1..65535.
Status Request(ByteLink& link, DeviceCommand code, std::uint8_t* reply, std::size_t n,
               std::chrono::milliseconds timeout = EXCHANGE_TIMEOUT);

// Writes header and payload as one frame, then reads the 2-byte acknowledgement.
// The payload may be empty (header alone) and holds at most MAX_SEND_PAYLOAD bytes.
Status Send(ByteLink& link, DeviceCommand code, std::span<const std::uint8_t> payload,
            std::chrono::milliseconds timeout = EXCHANGE_TIMEOUT);

// The retry rule: a failed exchange is worth one more try, after the stale
// input is discarded, when its reply came short, long or too late, or its
// frame did not go out in time; never when the port has gone or the frame
// was refused, which a second try would only repeat.
bool WorthRetrying(const Status& result, const ByteLink& link);

// Makes the exchange, and once more after discarding stale input when the
// first try failed in a way WorthRetrying allows. The one retry rule of
// every download and append.
template <typename Exchange>
Status RetriedOnce(ByteLink& link, Exchange&& exchange, bool* retried = nullptr) {
    Status result = exchange();
    if (result || !WorthRetrying(result, link)) return result;
    link.discardInput();
    if (retried != nullptr) *retried = true;
    return exchange();
}

}  // namespace varnelo
