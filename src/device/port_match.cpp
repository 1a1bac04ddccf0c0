#include "device/port_match.h"

#include <algorithm>
#include <cctype>

namespace varnelo {

namespace {

// Names compare digit runs by value, so COM2 sorts before COM10.
bool NaturalLess(std::string_view a, std::string_view b) {
    std::size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        const bool da = std::isdigit(static_cast<unsigned char>(a[i])) != 0;
        const bool db = std::isdigit(static_cast<unsigned char>(b[j])) != 0;
        if (da && db) {
            std::size_t ei = i, ej = j;
            while (ei < a.size() && std::isdigit(static_cast<unsigned char>(a[ei]))) ++ei;
            while (ej < b.size() && std::isdigit(static_cast<unsigned char>(b[ej]))) ++ej;
            std::string_view na = a.substr(i, ei - i), nb = b.substr(j, ej - j);
            while (na.size() > 1 && na.front() == '0') na.remove_prefix(1);
            while (nb.size() > 1 && nb.front() == '0') nb.remove_prefix(1);
            if (na.size() != nb.size()) return na.size() < nb.size();
            if (na != nb) return na < nb;
            i = ei;
            j = ej;
        } else {
            if (a[i] != b[j]) return a[i] < b[j];
            ++i;
            ++j;
        }
    }
    return a.size() - i < b.size() - j;
}

// Of a multi-string hardware id only the first string counts.
std::string_view FirstString(std::string_view multi) { return multi.substr(0, multi.find('\0')); }

}  // namespace

std::string PortText(std::string_view portName) {
    std::string text(1, '(');
    text += portName;
    text += ')';
    return text;
}

bool MatchComPortDevice(const std::vector<PortEntry>& devices, std::string_view hardwareIdPart,
                        std::string_view friendlyNamePart) {
    return std::any_of(devices.begin(), devices.end(), [&](const PortEntry& device) {
        return device.description.has_value() &&
               device.friendlyName.find(friendlyNamePart) != std::string::npos &&
               FirstString(device.hardwareId).find(hardwareIdPart) != std::string_view::npos;
    });
}

bool IsLoggerPort(const std::vector<PortEntry>& devices, std::string_view portText) {
    return MatchComPortDevice(devices, LOGGER_HARDWARE_ID, portText);
}

std::vector<std::string> LoggerPortCandidates(const std::vector<PortEntry>& devices) {
    std::vector<std::string> names;
    for (const PortEntry& device : devices) {
        if (std::find(names.begin(), names.end(), device.portName) != names.end()) continue;
        if (IsLoggerPort(devices, PortText(device.portName))) names.push_back(device.portName);
    }
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) { return NaturalLess(a, b); });
    return names;
}

}  // namespace varnelo
