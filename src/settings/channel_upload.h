#pragma once
// Giving a channel a sensor head: the head's name and coefficients go into
// that channel's slot of a device information block. Sending the block is
// the logger session's job; the assignment stays whatever the logger answers.

#include <cstddef>

#include "data/device_info_block.h"
#include "settings/settings_file.h"

namespace varnelo {

// Head `index` of the table into channel 0 (ch.1) or 1 (ch.2); nothing
// changes and false comes back for an index outside the table (no head
// selected) or a number that is not a channel. Names longer than 15 bytes
// are cut at a character boundary.
bool AssignSensorToChannel(DeviceInfoBlock& block, const SensorTable& table, std::ptrdiff_t index, int channel);

}  // namespace varnelo
