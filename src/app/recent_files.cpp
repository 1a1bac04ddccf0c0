#include "app/recent_files.h"

#include <QFileInfo>
#include <QSettings>

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
        const QString entry = settings.value(EntryKey(i)).toString();
        if (!entry.isEmpty()) list << entry;
    }
    return list;
}

void SaveRecentFiles(const QStringList& list) {
    QSettings settings;
    for (int i = 0; i < RECENT_FILE_COUNT; ++i) {
        if (i < list.size()) {
            settings.setValue(EntryKey(i), list[i]);
        } else {
            settings.remove(EntryKey(i));
        }
    }
}

}  // namespace varnelo
