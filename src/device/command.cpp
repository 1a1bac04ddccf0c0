#include "device/command.h"

namespace varnelo {

std::string_view CommandName(DeviceCommand code) {
    switch (code) {
        case DeviceCommand::CMD_READ_IDENT_A: return "identity A (command 0)";
        case DeviceCommand::CMD_READ_IDENT_B: return "identity B (command 2)";
        case DeviceCommand::CMD_READ_DEVICE_INFO: return "device information (command 6)";
        case DeviceCommand::CMD_READ_PARAMETERS: return "parameter block (command 8)";
        case DeviceCommand::CMD_READ_RECORD: return "record read (command 16)";
        case DeviceCommand::CMD_READ_RECORD_COUNT: return "record count (command 18)";
        case DeviceCommand::CMD_WRITE_DEVICE_INFO: return "device information write (command 139)";
        case DeviceCommand::CMD_SELECT_RECORD: return "record select (command 140)";
    }
    return "unknown command";
}

}  // namespace varnelo
