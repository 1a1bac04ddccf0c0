#include "device/port_path.h"

#include <filesystem>
#include <system_error>

namespace varnelo {

std::string PortToOpen(const std::string& typed) {
#if defined(_WIN32)
    return typed;
#else
    namespace fs = std::filesystem;
    if (typed.empty()) return typed;
    std::error_code code;
    if (typed.find('/') == std::string::npos &&
        (fs::exists(fs::path("/dev") / typed, code) || !fs::exists(typed, code))) {
        return typed;
    }
    const fs::path absolute = fs::absolute(typed, code);
    return code ? typed : absolute.string();
#endif
}

}  // namespace varnelo
