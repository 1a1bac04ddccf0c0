#pragma once
// Giving a channel a sensor head: the head's name and coefficients go into
// that channel's slot of the document's device information block, and the
// whole block goes to the logger in one command 139 frame (header 8B 00 D0 00
// and the 208 bytes). The document keeps the assignment whatever the logger
// answers; the caller tells the user what the exchange came to.

#include <cstddef>

#include "data/device_info_block.h"
#include "device/byte_link.h"
#include "device/device_link.h"
#include "settings/settings_file.h"

namespace varnelo {

// Head `index` of the table into channel 0 (ch.1) or 1 (ch.2); nothing
// changes and false comes back for an index outside the table (no head
// selected) or a number that is not a channel. Names longer than 15 bytes
// are cut at a character boundary.
bool AssignSensorToChannel(DeviceInfoBlock& block, const SensorTable& table, std::ptrdiff_t index, int channel);

// Sends the whole block with command 139. After a failure whatever the logger
// still sends is dropped, so that a late acknowledgement cannot shift the
// replies of the exchanges that follow.
Status UploadDeviceInfo(ByteLink& link, const DeviceInfoBlock& block);

}  // namespace varnelo
