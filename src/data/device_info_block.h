#pragma once
// The logger's 208-byte device information block: the sensor head named on
// each channel with its six coefficients. Bytes the program does not
// interpret go back to the logger exactly as they came.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "data/layout.h"

namespace varnelo {

namespace device_info_offset {
inline constexpr std::size_t SENSOR_NAME = 68;       // + 16 * channel
inline constexpr std::size_t SENSOR_NAME_SIZE = 16;
inline constexpr std::size_t SENSOR_COEF = 104;      // + 48 * channel
inline constexpr std::size_t SENSOR_COEF_COUNT = 6;
inline constexpr std::size_t TAIL_RESERVED = 200;
static_assert(SENSOR_NAME + 2 * SENSOR_NAME_SIZE + 4 == SENSOR_COEF, "name_pad is 4 bytes");
static_assert(SENSOR_COEF + 2 * SENSOR_COEF_COUNT * 8 == TAIL_RESERVED);
static_assert(TAIL_RESERVED + 8 == DEVICE_INFO_SIZE);
}  // namespace device_info_offset

using SensorCoefficientSet = std::array<double, device_info_offset::SENSOR_COEF_COUNT>;

// Channel numbers: 0 is ch.1, 1 is ch.2. Any other number names no field:
// reading it gives nothing and assigning to it changes nothing.
constexpr bool IsChannel(int channel) { return channel == 0 || channel == 1; }

struct DeviceInfoBlock {
    std::array<std::uint8_t, DEVICE_INFO_SIZE> bytes;
};
static_assert(sizeof(DeviceInfoBlock) == DEVICE_INFO_SIZE);

// The name up to its first NUL; a field without a NUL reads as all 16 bytes.
// Empty for a number that is not a channel.
std::string SensorName(const DeviceInfoBlock& block, int channel);

// All zero for a number that is not a channel.
SensorCoefficientSet SensorCoefficients(const DeviceInfoBlock& block, int channel);

// Writes the name and one NUL at the start of the channel's name field, and
// the six coefficients; every other byte keeps its value, including the old
// name bytes behind the new NUL. A name longer than 15 bytes is cut to 15
// without splitting a UTF-8 character. False, and nothing written, for a
// number that is not a channel.
bool AssignSensor(DeviceInfoBlock& block, int channel, std::string_view name, const SensorCoefficientSet& coefficients);

}  // namespace varnelo
