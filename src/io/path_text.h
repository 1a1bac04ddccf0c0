#pragma once
// The one conversion of a path into text for messages, logs and names made
// from names: UTF-8 on every system. On Windows the wide name is converted;
// on POSIX a name is bytes and they pass unchanged, whatever they hold.
// The desktop program's launch/path_text makes the same text from a QString.

#include <filesystem>
#include <string>
#include <string_view>

namespace varnelo {

std::string PathText(const std::filesystem::path& path);

// The path that PathText gives `text` for.
std::filesystem::path PathOfText(std::string_view text);

}  // namespace varnelo
