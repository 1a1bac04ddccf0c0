#pragma once
// What to open for a port the user typed. A bare name is a device as the
// system names them ("ttyUSB0" is /dev/ttyUSB0, "COM3" is COM3); anything
// else is a path, taken from the current folder, so that a relative path or
// a link such as the simulator's reaches the terminal it names.

#include <string>

namespace varnelo {

// A bare name that only the current folder has (none under /dev) is that
// file. Paths come back absolute; everything else as it was typed.
std::string PortToOpen(const std::string& typed);

// A Windows port as typed, "COM3" or in the device namespace "\\.\COM10"
// (the form that ports from COM10 up need in the system's own calls), as
// the name the serial port and the catalog use: "COM3", "COM10". The
// system's calls are reached through that name with the prefix restored.
std::string WindowsPortName(const std::string& typed);

}  // namespace varnelo
