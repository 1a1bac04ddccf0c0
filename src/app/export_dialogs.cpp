#include "app/export_dialogs.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QProgressDialog>

#include "app/file_messages.h"
#include "launch/path_text.h"

namespace varnelo {

std::optional<QString> AskExportFile(QWidget* parent, const QString& title, const QString& filter, const QString& suffix,
                                     const std::filesystem::path& document) {
    QFileDialog dialog(parent, title);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(filter);
    dialog.setDefaultSuffix(suffix);
    if (!document.empty()) {
        const QFileInfo file(FromPath(document));
        dialog.setDirectory(file.absolutePath());
        dialog.selectFile(file.completeBaseName() + QLatin1Char('.') + suffix);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    const QString path = dialog.selectedFiles().front();
    const QString name = QFileInfo(path).fileName();
    if (name.contains(QLatin1Char('*')) || name.contains(QLatin1Char('?'))) {
        //: Message box: the name typed in a save dialog holds a wildcard (the name is shown below it).
        ShowFileProblem(parent, QCoreApplication::translate("varnelo::ExportDialogs", "ファイル名に * や ? は使えません。"),
                        path);
        return std::nullopt;
    }
    return path;
}

ExportResult WriteWithProgress(QWidget* parent, const QString& label, const QString& cancel, int count,
                               const std::function<ExportResult(const ExportProgress&)>& write) {
    QProgressDialog progress(label, cancel, 0, count, parent);
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(500);
    const ExportResult result = write([&progress](int written, int) {
        progress.setValue(written);
        QCoreApplication::processEvents();
        return !progress.wasCanceled();
    });
    progress.reset();
    return result;
}

}  // namespace varnelo
