#pragma once
// The logger's command set and the 4-byte header that starts every
// transmission from the PC: code, a zero byte, and a little-endian length.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace varnelo {

enum class DeviceCommand : std::uint8_t {
    CMD_READ_IDENT_A = 0,
    CMD_READ_IDENT_B = 2,
    CMD_READ_DEVICE_INFO = 6,
    CMD_READ_PARAMETERS = 8,
    CMD_READ_RECORD = 16,
    CMD_READ_RECORD_COUNT = 18,
    CMD_WRITE_DEVICE_INFO = 139,
    CMD_SELECT_RECORD = 140,
};

inline constexpr std::size_t HEADER_SIZE = 4;
inline constexpr std::size_t IDENT_A_SIZE = 32;
inline constexpr std::size_t IDENT_B_SIZE = 16;
inline constexpr std::size_t RECORD_COUNT_SIZE = 4;
inline constexpr std::size_t RECORD_INDEX_SIZE = 4;
inline constexpr std::size_t ACK_SIZE = 2;             // the reply to every Send, never examined
inline constexpr std::size_t MAX_SEND_PAYLOAD = 8192;  // the largest payload a Send frame carries
inline constexpr std::size_t MAX_EXCHANGE_LENGTH = 0xFFFF;

struct CommandHeader {
    DeviceCommand code;
    std::uint16_t length;  // reply bytes expected (Request) or payload bytes following (Send)

    std::array<std::uint8_t, HEADER_SIZE> bytes() const {
        return {static_cast<std::uint8_t>(code), 0, static_cast<std::uint8_t>(length & 0xFF),
                static_cast<std::uint8_t>(length >> 8)};
    }
};

// "CMD_READ_RECORD (16)", for messages.
std::string_view CommandName(DeviceCommand code);

}  // namespace varnelo
