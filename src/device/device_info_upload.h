#pragma once
// Sending the device information block: the whole block goes to the logger
// in one command 139 frame (header 8B 00 D0 00 and the 208 bytes).

#include "data/device_info_block.h"
#include "device/byte_link.h"
#include "device/device_link.h"

namespace varnelo {

// After a failure whatever the logger still sends is dropped, so that a
// late acknowledgement cannot shift the replies of the exchanges that follow.
Status UploadDeviceInfo(ByteLink& link, const DeviceInfoBlock& block);

}  // namespace varnelo
