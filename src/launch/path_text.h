#pragma once
// File names are bytes on Linux, whatever encoding the user's files were
// named in. Qt carries them as text, so each path crosses between the two
// here and nowhere else: every byte that is part of valid UTF-8 becomes its
// character, and every other byte b becomes the lone surrogate U+DC00 + b,
// which turns back into b on the way to the system. A name in Shift-JIS or
// Latin-1 thus reaches the system exactly as it came. The bytes are those of
// the core's io/path_text: UTF-8 on Windows, the name itself on POSIX.

#include <QByteArray>
#include <QString>
#include <QUrl>
#include <filesystem>
#include <string_view>

namespace varnelo {

QString TextOfPathBytes(std::string_view bytes);
QByteArray PathBytesOfText(const QString& text);

std::filesystem::path ToPath(const QString& text);
QString FromPath(const std::filesystem::path& path);

// An argument or an environment value, as the system handed it over.
QString ArgumentText(const char* argument);
QString EnvironmentPath(const char* name);

// The local file a dropped URL names, its bytes kept; empty when it names none.
QString LocalFileOfUrl(const QUrl& url);

}  // namespace varnelo
