#pragma once
// The present serial ports as QSerialPortInfo sees them, described in the
// Windows form the matching rule expects: hardware id "USB\VID_0C2B&PID_08B0"
// and friendly name "<description> (<port name>)".

#include "device/port_catalog.h"

namespace varnelo {

class QtPortCatalog : public PortCatalog {
public:
    std::vector<PortEntry> ports() override;
    OpenedPort open(const std::string& portName) override;
};

}  // namespace varnelo
