#pragma once
// Which of the present serial devices is the logger. Nothing here opens a
// port: the USB ids decide before anything is touched.

#include <string>
#include <string_view>
#include <vector>

#include "device/port_catalog.h"

namespace varnelo {

inline constexpr std::string_view LOGGER_HARDWARE_ID = "VID_0C2B&PID_08B0";

// "(COM12)": the parentheses make "(COM1)" miss "(COM10)".
std::string PortText(std::string_view portName);

// True when some device with a readable description has a hardware id
// containing hardwareIdPart and a friendly name containing friendlyNamePart
// (both case-sensitive).
bool MatchComPortDevice(const std::vector<PortEntry>& devices, std::string_view hardwareIdPart,
                        std::string_view friendlyNamePart);

bool IsLoggerPort(const std::vector<PortEntry>& devices, std::string_view portText);

// The names of the ports that belong to the logger, in natural order
// (COM2 before COM10), the only ones discovery may open.
std::vector<std::string> LoggerPortCandidates(const std::vector<PortEntry>& devices);

}  // namespace varnelo
