#include "app/recent_files.h"

#include <QFileInfo>
#include <QSettings>

#include "launch/path_text.h"

namespace varnelo {

namespace {

const QString SECTION = QStringLiteral("Recent File List");

QString EntryKey(int i) { return SECTION + QStringLiteral("/File%1").arg(i + 1); }

// The same file under two spellings (a relative path, a symlink) is one entry.
QString Identity(const QString& path) {
    const QFileInfo info(path);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? info.absoluteFilePath() : canonical;
}

}  // namespace

QStringList PushRecentFile(QStringList list, const QString& path) {
    const QString identity = Identity(path);
    list.removeIf([&identity](const QString& entry) { return Identity(entry) == identity; });
    list.prepend(QFileInfo(path).absoluteFilePath());
    while (list.size() > RECENT_FILE_COUNT) list.removeLast();
    return list;
}

QStringList LoadRecentFiles() {
    QSettings settings;
    QStringList list;
    for (int i = 0; i < RECENT_FILE_COUNT; ++i) {
        const QVariant value = settings.value(EntryKey(i));
        const QByteArray bytes = value.toByteArray();
        const QString entry = value.typeId() == QMetaType::QByteArray
                                  ? TextOfPathBytes(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())))
                                  : value.toString();
        if (!entry.isEmpty()) list << entry;
    }
    return list;
}

void SaveRecentFiles(const QStringList& list) {
    QSettings settings;
    for (int i = 0; i < RECENT_FILE_COUNT; ++i) {
        if (i < list.size()) {
            // A name that is not UTF-8 is kept as its bytes: the profile's text would lose them.
            const QByteArray bytes = PathBytesOfText(list[i]);
            if (QString::fromUtf8(bytes) == list[i]) {
                settings.setValue(EntryKey(i), list[i]);
            } else {
                settings.setValue(EntryKey(i), bytes);
            }
        } else {
            settings.remove(EntryKey(i));
        }
    }
}

}  // namespace varnelo
