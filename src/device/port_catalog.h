#pragma once
// The serial devices present on this machine, described in the form Windows
// gives them (hardware id "USB\VID_0C2B&PID_08B0...", friendly name
// "... (COM3)"), so that one matching rule serves every platform.

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "device/byte_link.h"
#include "io/status.h"

namespace varnelo {

struct PortEntry {
    std::string portName;                    // "COM3", "ttyACM0", or a path
    std::string hardwareId;                  // the first hardware id; empty if unknown
    std::string friendlyName;                // ends in "(portName)"; empty if unknown
    std::optional<std::string> description;  // empty optional when it cannot be read
};

struct OpenedPort {
    std::unique_ptr<ByteLink> link;  // null when the port could not be opened
    Status status;                   // without a link: PortRefusal's
    std::vector<std::string> notes{};  // what the port refused and is used without, for a trace
};

// Why a port could not be opened, as values each program words in its
// language: PortUnavailable, the port as the path, why not in English
// (busy, permission, missing) as detail, a cause where one is known (a port
// held by another program, a live lock or a busy device, is PortInUse) and
// the system's word where it said one.
inline Status PortRefusal(const std::string& portName, std::string why, Status::Cause cause = Status::Cause::Other,
                          std::string systemError = {}) {
    Status status{Status::Kind::PortUnavailable, std::move(why)};
    status.path = portName;
    status.cause = cause;
    status.systemError = std::move(systemError);
    return status;
}

class PortCatalog {
public:
    virtual ~PortCatalog() = default;
    virtual std::vector<PortEntry> ports() = 0;
    virtual OpenedPort open(const std::string& portName) = 0;
};

}  // namespace varnelo
