#include "data/device_info_block.h"

#include <algorithm>
#include <cstring>

#include "data/byte_order.h"

namespace varnelo {

namespace {

std::size_t NameOffset(int channel) {
    return device_info_offset::SENSOR_NAME + device_info_offset::SENSOR_NAME_SIZE * static_cast<std::size_t>(channel);
}

std::size_t CoefOffset(int channel) {
    return device_info_offset::SENSOR_COEF + device_info_offset::SENSOR_COEF_COUNT * 8 * static_cast<std::size_t>(channel);
}

bool IsUtf8Continuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

}  // namespace

std::string SensorName(const DeviceInfoBlock& block, int channel) {
    if (!IsChannel(channel)) return {};
    const auto* field = reinterpret_cast<const char*>(block.bytes.data() + NameOffset(channel));
    const auto* end = field + device_info_offset::SENSOR_NAME_SIZE;
    return std::string(field, std::find(field, end, '\0'));
}

SensorCoefficientSet SensorCoefficients(const DeviceInfoBlock& block, int channel) {
    SensorCoefficientSet result{};
    if (!IsChannel(channel)) return result;
    const std::uint8_t* p = block.bytes.data() + CoefOffset(channel);
    for (std::size_t k = 0; k < result.size(); ++k) result[k] = ReadF64Le(p + 8 * k);
    return result;
}

bool AssignSensor(DeviceInfoBlock& block, int channel, std::string_view name, const SensorCoefficientSet& coefficients) {
    if (!IsChannel(channel)) return false;
    constexpr std::size_t maxLength = device_info_offset::SENSOR_NAME_SIZE - 1;
    std::size_t length = std::min(name.size(), maxLength);
    if (length < name.size()) {
        // Back off to the start of the character that the cut would split.
        while (length > 0 && IsUtf8Continuation(name[length])) --length;
    }
    std::uint8_t* field = block.bytes.data() + NameOffset(channel);
    std::memcpy(field, name.data(), length);
    field[length] = 0;
    std::uint8_t* p = block.bytes.data() + CoefOffset(channel);
    for (std::size_t k = 0; k < coefficients.size(); ++k) WriteF64Le(p + 8 * k, coefficients[k]);
    return true;
}

}  // namespace varnelo
