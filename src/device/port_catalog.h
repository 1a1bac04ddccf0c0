#pragma once
// The serial devices present on this machine, described in the form Windows
// gives them (hardware id "USB\VID_0C2B&PID_08B0...", friendly name
// "... (COM3)"), so that one matching rule serves every platform.

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "device/byte_link.h"

namespace varnelo {

struct PortEntry {
    std::string portName;                    // "COM3", "ttyACM0", or a path
    std::string hardwareId;                  // the first hardware id; empty if unknown
    std::string friendlyName;                // ends in "(portName)"; empty if unknown
    std::optional<std::string> description;  // empty optional when it cannot be read
};

// Why a port could not be opened, as a value each program words in its language.
enum class PortProblem {
    Other,       // systemError says it
    Missing,     // no such port
    Permission,  // this user may not open it
    InUse,       // another program holds it (a live lock, or the device is busy)
    NotSerial,   // it opened but is no serial port
    RawRefused,  // its driver refused raw mode
};

struct OpenedPort {
    std::unique_ptr<ByteLink> link;  // null when the port could not be opened
    std::string error;               // why not, in English: busy, permission, missing
    std::vector<std::string> notes{};  // what the port refused and is used without, for a trace
    PortProblem problem = PortProblem::Other;
    std::string systemError{};  // the system's word, where it said one
};

class PortCatalog {
public:
    virtual ~PortCatalog() = default;
    virtual std::vector<PortEntry> ports() = 0;
    virtual OpenedPort open(const std::string& portName) = 0;
};

}  // namespace varnelo
