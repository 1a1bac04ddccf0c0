#include "device/trace_text.h"

#include <array>
#include <cstdio>

#include "data/byte_order.h"
#include "device/command.h"

namespace varnelo {

namespace {

constexpr std::size_t BYTES_PER_LINE = 16;
constexpr char DIGITS[] = "0123456789abcdef";

constexpr std::array<std::uint32_t, 256> CrcTable() {
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t i = 0; i < 256; ++i) {
        std::uint32_t c = i;
        for (int bit = 0; bit < 8; ++bit) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[i] = c;
    }
    return table;
}

constexpr auto CRC_TABLE = CrcTable();

}  // namespace

std::uint32_t Crc32(std::span<const std::uint8_t> bytes) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (const std::uint8_t b : bytes) crc = CRC_TABLE[(crc ^ b) & 0xFF] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFu;
}

std::string HexDump(const std::uint8_t* bytes, std::size_t n) {
    std::string out;
    for (std::size_t line = 0; line < n; line += BYTES_PER_LINE) {
        char offset[32];
        std::snprintf(offset, sizeof offset, "  %04zx  ", line);
        out += offset;
        std::string text;
        for (std::size_t i = line; i < line + BYTES_PER_LINE; ++i) {
            if (i < n) {
                out += DIGITS[bytes[i] >> 4];
                out += DIGITS[bytes[i] & 0xF];
                out += ' ';
                text += bytes[i] >= 0x20 && bytes[i] < 0x7F ? static_cast<char>(bytes[i]) : '.';
            } else {
                out += "   ";
            }
        }
        out += ' ';
        out += text;
        out += '\n';
    }
    return out;
}

std::string HexText(std::span<const std::uint8_t> bytes) {
    std::string out;
    out.reserve(bytes.size() * 2);
    for (const std::uint8_t b : bytes) {
        out += DIGITS[b >> 4];
        out += DIGITS[b & 0xF];
    }
    return out;
}

std::optional<TracedFrame> ReadTracedFrame(std::span<const std::uint8_t> frame) {
    if (frame.size() < HEADER_SIZE) return std::nullopt;
    TracedFrame traced;
    traced.code = frame[0];
    traced.length = static_cast<std::size_t>(frame[2] | (frame[3] << 8));
    traced.payload = frame.subspan(HEADER_SIZE);
    if (traced.code == static_cast<std::uint8_t>(DeviceCommand::CMD_SELECT_RECORD) &&
        traced.payload.size() == RECORD_INDEX_SIZE) {
        traced.record = ReadI32Le(traced.payload.data());
    }
    return traced;
}

std::string ExchangeName(std::uint8_t code, std::optional<std::int32_t> selected) {
    const std::string number = "(command " + std::to_string(code) + ")";
    const auto command = static_cast<DeviceCommand>(code);
    if (command == DeviceCommand::CMD_SELECT_RECORD || command == DeviceCommand::CMD_READ_RECORD) {
        std::string name = command == DeviceCommand::CMD_SELECT_RECORD ? "select record " : "read record ";
        if (selected) {
            name += std::to_string(*selected);
            name += ' ';
        }
        name += number;
        return name;
    }
    const std::string_view known = CommandName(command);
    if (known == "unknown command") return "command " + std::to_string(code);
    return std::string(known);
}

std::string ReplySummary(std::span<const std::uint8_t> got, std::size_t asked) {
    std::string text = got.size() == asked ? std::to_string(asked) + " bytes"
                                           : std::to_string(got.size()) + " of " + std::to_string(asked) + " bytes";
    if (got.empty()) return text;
    if (got.size() <= 2 * TRACE_END_BYTES) return text + " " + HexText(got);
    char crc[16];
    std::snprintf(crc, sizeof crc, "%08x", static_cast<unsigned>(Crc32(got)));
    return text + ", crc32 " + crc + ", first " + std::to_string(TRACE_END_BYTES) + " " +
           HexText(got.first(TRACE_END_BYTES)) + ", last " + std::to_string(TRACE_END_BYTES) + " " +
           HexText(got.last(TRACE_END_BYTES));
}

}  // namespace varnelo
