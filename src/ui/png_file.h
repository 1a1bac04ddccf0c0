#pragma once
// A picture saved as PNG the way every other output is written: encoded in
// memory first, then through the safe writer, so a failed write (a full
// disk) leaves the old file as it was and a link or device is honoured.

#include <QImage>
#include <filesystem>
#include <string>

namespace varnelo {

// Empty on success, else which file and what went wrong.
std::string SavePng(const QImage& image, const std::filesystem::path& target);

}  // namespace varnelo
