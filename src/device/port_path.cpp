#include "device/port_path.h"

#include <filesystem>
#include <string_view>
#include <system_error>

namespace varnelo {

std::string WindowsPortName(const std::string& typed) {
    for (const std::string_view prefix : {R"(\\.\)", "//./"}) {
        if (typed.size() > prefix.size() && std::string_view(typed).substr(0, prefix.size()) == prefix)
            return typed.substr(prefix.size());
    }
    return typed;
}

#if defined(_WIN32)
std::string PortToOpen(const std::string& typed) { return WindowsPortName(typed); }
#else
std::string PortToOpen(const std::string& typed) {
    namespace fs = std::filesystem;
    if (typed.empty()) return typed;
    std::error_code code;
    if (typed.find('/') == std::string::npos &&
        (fs::exists(fs::path("/dev") / typed, code) || !fs::exists(typed, code))) {
        return typed;
    }
    const fs::path absolute = fs::absolute(typed, code);
    return code ? typed : absolute.string();
}
#endif

}  // namespace varnelo
