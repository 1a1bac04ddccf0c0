#include "ui/png_file.h"

#include <QBuffer>
#include <QByteArray>

#include "io/atomic_file.h"

namespace varnelo {

std::optional<ImageFormat> ImageFormatForPath(const std::filesystem::path& path) {
    const QString extension = QString::fromStdString(path.extension().string()).toLower();
    if (extension.isEmpty() || extension == QLatin1String(".png")) return ImageFormat::Png;
    if (extension == QLatin1String(".jpg") || extension == QLatin1String(".jpeg")) return ImageFormat::Jpeg;
    return std::nullopt;
}

std::string SavePng(const QImage& image, const std::filesystem::path& target) {
    return SaveImage(image, target, ImageFormat::Png);
}

std::string SaveImage(const QImage& image, const std::filesystem::path& target, ImageFormat format) {
    const char* const name = format == ImageFormat::Png ? "PNG" : "JPEG";
    // JPEG at its best quality: the charts are thin lines and small text.
    const int quality = format == ImageFormat::Png ? -1 : 100;
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, name, quality)) return "cannot encode the " + std::string(name) + " image for " + target.string();
    AtomicFileWriter file(target);
    if (!file.open() || !file.write(png.constData(), static_cast<std::size_t>(png.size())) || !file.commit()) {
        return file.status().detail;
    }
    return {};
}

}  // namespace varnelo
