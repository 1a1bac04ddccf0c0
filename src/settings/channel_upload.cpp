#include "settings/channel_upload.h"

namespace varnelo {

bool AssignSensorToChannel(DeviceInfoBlock& block, const SensorTable& table, std::ptrdiff_t index, int channel) {
    if (index < 0 || static_cast<std::size_t>(index) >= table.heads.size()) return false;
    const SensorHead& head = table.heads[static_cast<std::size_t>(index)];
    return AssignSensor(block, channel, head.name, head.coefficients);
}

}  // namespace varnelo
