#include "device/device_info_upload.h"

namespace varnelo {

Status UploadDeviceInfo(ByteLink& link, const DeviceInfoBlock& block) {
    Status result = Send(link, DeviceCommand::CMD_WRITE_DEVICE_INFO, block.bytes);
    if (!result) link.discardInput();
    return result;
}

}  // namespace varnelo
