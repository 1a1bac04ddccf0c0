#include "launch/path_text.h"

#include <cstdint>
#include <cstdlib>

#include "io/path_text.h"

namespace varnelo {

namespace {

constexpr char16_t ESCAPE_BASE = 0xDC00;

// Length of the valid UTF-8 sequence at the start of s, or 0 when its first
// byte starts none: overlong forms, surrogates and values past U+10FFFF are
// not valid, so each of their bytes is escaped instead.
std::size_t ValidSequence(std::string_view s, char32_t& value) {
    const auto byte = [&](std::size_t i) { return static_cast<std::uint8_t>(s[i]); };
    const std::uint8_t b0 = byte(0);
    if (b0 < 0x80) {
        value = b0;
        return 1;
    }
    std::size_t length = 0;
    char32_t minimum = 0;
    if ((b0 & 0xE0) == 0xC0) {
        length = 2, value = b0 & 0x1F, minimum = 0x80;
    } else if ((b0 & 0xF0) == 0xE0) {
        length = 3, value = b0 & 0x0F, minimum = 0x800;
    } else if ((b0 & 0xF8) == 0xF0) {
        length = 4, value = b0 & 0x07, minimum = 0x10000;
    } else {
        return 0;
    }
    if (s.size() < length) return 0;
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80) return 0;
        value = (value << 6) | (byte(i) & 0x3F);
    }
    if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return 0;
    return length;
}

}  // namespace

QString TextOfPathBytes(std::string_view bytes) {
    QString text;
    text.reserve(static_cast<qsizetype>(bytes.size()));
    while (!bytes.empty()) {
        char32_t value = 0;
        const std::size_t length = ValidSequence(bytes, value);
        if (length == 0) {
            text.append(QChar(static_cast<char16_t>(ESCAPE_BASE + static_cast<std::uint8_t>(bytes.front()))));
            bytes.remove_prefix(1);
            continue;
        }
        text.append(QString::fromUcs4(&value, 1));
        bytes.remove_prefix(length);
    }
    return text;
}

QByteArray PathBytesOfText(const QString& text) {
    QByteArray bytes;
    bytes.reserve(text.size());
    qsizetype start = 0;  // of the run of ordinary text not yet converted
    const auto flush = [&](qsizetype end) {
        if (end > start) bytes.append(text.mid(start, end - start).toUtf8());
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        const bool escaped = c >= ESCAPE_BASE + 0x80 && c <= ESCAPE_BASE + 0xFF &&
                             (i == 0 || !text[i - 1].isHighSurrogate());
        if (!escaped) continue;
        flush(i);
        bytes.append(static_cast<char>(c - ESCAPE_BASE));
        start = i + 1;
    }
    flush(text.size());
    return bytes;
}

std::filesystem::path ToPath(const QString& text) {
    const QByteArray bytes = PathBytesOfText(text);
    return PathOfText(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

QString FromPath(const std::filesystem::path& path) { return TextOfPathBytes(PathText(path)); }

QString ArgumentText(const char* argument) { return TextOfPathBytes(argument == nullptr ? "" : argument); }

QString EnvironmentPath(const char* name) { return ArgumentText(std::getenv(name)); }

QString LocalFileOfUrl(const QUrl& url) {
    if (!url.isLocalFile()) return {};
    // The path as percent-encoded bytes: toLocalFile() would read them as UTF-8 and lose the others.
    const QByteArray bytes = QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
    return TextOfPathBytes(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

}  // namespace varnelo
