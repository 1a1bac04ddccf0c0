#include "ui/png_file.h"

#include <QBuffer>
#include <QByteArray>

#include "io/atomic_file.h"

namespace varnelo {

std::string SavePng(const QImage& image, const std::filesystem::path& target) {
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG")) return "cannot encode the PNG image for " + target.string();
    AtomicFileWriter file(target);
    if (!file.open() || !file.write(png.constData(), static_cast<std::size_t>(png.size())) || !file.commit()) {
        return file.error();
    }
    return {};
}

}  // namespace varnelo
