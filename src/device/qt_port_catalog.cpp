#include "device/qt_port_catalog.h"

#include <QSerialPortInfo>

#include "device/port_match.h"
#include "device/qt_serial_link.h"

namespace varnelo {

std::vector<PortEntry> QtPortCatalog::ports() {
    std::vector<PortEntry> entries;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        PortEntry entry;
        entry.portName = info.portName().toStdString();
        if (info.hasVendorIdentifier() && info.hasProductIdentifier()) {
            entry.hardwareId = QString::asprintf("USB\\VID_%04X&PID_%04X", info.vendorIdentifier(),
                                                 info.productIdentifier())
                                   .toStdString();
        }
        // Qt always yields a description, though it may be empty.
        const std::string description = info.description().toStdString();
        entry.description = description;
        entry.friendlyName = (description.empty() ? std::string("Serial port") : description) + " " +
                             PortText(entry.portName);
        entries.push_back(std::move(entry));
    }
    return entries;
}

OpenedPort QtPortCatalog::open(const std::string& portName) { return OpenSerialPort(portName); }

}  // namespace varnelo
