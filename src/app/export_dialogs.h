#pragma once
// What the window's exports share: the save dialog that names the file, and
// the progress dialog that may cancel the writing.

#include <QString>
#include <filesystem>
#include <functional>
#include <optional>

#include "export/csv_export.h"

class QWidget;

namespace varnelo {

// The file an export is to write, asked for in a save dialog titled `title`
// with one `filter` and `suffix`, offering the document's own name in its
// folder (nothing for an untitled document). Nothing when cancelled, or when
// the name holds * or ?: the dialog then returns a filter typed as a name,
// never a file anybody meant to write, and a message says so.
std::optional<QString> AskExportFile(QWidget* parent, const QString& title, const QString& filter, const QString& suffix,
                                     const std::filesystem::path& document);

// Runs `write` behind a window-modal progress dialog over `count` records,
// shown after half a second, whose `cancel` button stops the writing.
ExportResult WriteWithProgress(QWidget* parent, const QString& label, const QString& cancel, int count,
                               const std::function<ExportResult(const ExportProgress&)>& write);

}  // namespace varnelo
