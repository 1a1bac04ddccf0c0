#pragma once
// How an exchange reads in a trace: one line per exchange naming the
// command ("select record 7 (command 140)", "read record 7 (command 16)"),
// a long reply shortened to its first and last bytes with a CRC-32 of the
// whole, so that a trace of a full download stays small enough to attach
// and still shows which record went wrong and whether two copies agree.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace varnelo {

// Bytes shown at each end of a long reply; a reply of up to twice this is
// shown whole.
inline constexpr std::size_t TRACE_END_BYTES = 32;

// CRC-32 (IEEE 802.3, as zlib and PNG): 0xcbf43926 for "123456789".
std::uint32_t Crc32(std::span<const std::uint8_t> bytes);

// The bytes as lines of "  offset  hex…  text", printable ASCII shown, the rest as '.'.
std::string HexDump(const std::uint8_t* bytes, std::size_t n);

// The bytes as unbroken lower-case hex.
std::string HexText(std::span<const std::uint8_t> bytes);

// A frame the program wrote, as far as the trace needs it.
struct TracedFrame {
    std::uint8_t code = 0;
    std::size_t length = 0;               // reply bytes asked for, or payload bytes sent
    std::optional<std::int32_t> record;   // the index a record selection carries
    std::span<const std::uint8_t> payload;
};

// Reads the 4-byte header and what follows; nothing when the bytes are too
// few to be a frame.
std::optional<TracedFrame> ReadTracedFrame(std::span<const std::uint8_t> frame);

// "select record 7 (command 140)", "read record 7 (command 16)",
// "identity A (command 0)". A record read names the record selected last,
// if any.
std::string ExchangeName(std::uint8_t code, std::optional<std::int32_t> selected);

// "6728 bytes, crc32 1c291ca3, first 32 4142…, last 32 …" for a long
// reply, "2 bytes 0600" for a short one, "3 of 6728 bytes, …" for one that
// came short.
std::string ReplySummary(std::span<const std::uint8_t> got, std::size_t asked);

}  // namespace varnelo
