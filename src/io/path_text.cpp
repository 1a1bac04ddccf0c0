#include "io/path_text.h"

namespace varnelo {

std::string PathText(const std::filesystem::path& path) {
    // u8string converts from the wide name on Windows and copies the bytes
    // elsewhere.
    const std::u8string text = path.u8string();
    return {text.begin(), text.end()};
}

std::filesystem::path PathOfText(std::string_view text) {
    return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

}  // namespace varnelo
