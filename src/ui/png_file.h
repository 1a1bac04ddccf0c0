#pragma once
// A picture saved as PNG the way every other output is written: encoded in
// memory first, then through the safe writer, so a failed write (a full
// disk) leaves the old file as it was and a link or device is honoured.

#include <QImage>
#include <filesystem>
#include <optional>
#include <string>

namespace varnelo {

enum class ImageFormat { Png, Jpeg };

// By the name's extension, any case: ".png", ".jpg" or ".jpeg"; a name
// without one is PNG. Nothing for any other extension.
std::optional<ImageFormat> ImageFormatForPath(const std::filesystem::path& path);

// Empty on success, else which file and what went wrong.
std::string SavePng(const QImage& image, const std::filesystem::path& target);
std::string SaveImage(const QImage& image, const std::filesystem::path& target, ImageFormat format);

}  // namespace varnelo
