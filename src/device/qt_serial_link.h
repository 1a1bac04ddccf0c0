#pragma once
// The serial port adapter: opens a port for the exchanges, every wait handed
// the time left until the exchange's deadline, so nothing waits forever.
// On POSIX systems the port is a descriptor put in raw mode and driven by
// PosixSerialLink, under the lock file other serial programs also honour;
// elsewhere it is a QSerialPort used blocking.

#include <string>

#include "device/port_catalog.h"

namespace varnelo {

// Opens the port (a name such as "ttyACM0" or "COM3", or a path) in raw
// mode at 115200 baud, 8 data bits, no parity, one stop bit and no flow
// control. A driver that refuses the speed, the framing or the flow
// control is used as it is, each refusal among the notes. On failure the
// error names the port and says why, with the fix where it is known.
OpenedPort OpenSerialPort(const std::string& portName);

}  // namespace varnelo
