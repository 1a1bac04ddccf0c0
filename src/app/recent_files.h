#pragma once
// The recent-file list of the File menu: the last four files opened or
// saved, newest first, kept in the profile as the section "Recent File List"
// with the entries "File1" to "File4".

#include <QString>
#include <QStringList>

namespace varnelo {

inline constexpr int RECENT_FILE_COUNT = 4;

// The list with path put first, a former entry for the same file removed
// and the list cut to RECENT_FILE_COUNT.
QStringList PushRecentFile(QStringList list, const QString& path);

QStringList LoadRecentFiles();
void SaveRecentFiles(const QStringList& list);

}  // namespace varnelo
