#include "app/library_export.h"

#include <QAction>
#include <QEvent>
#include <QMenu>

#include "app/export_dialogs.h"
#include "app/file_messages.h"
#include "app/varnelo_view.h"
#include "launch/path_text.h"

namespace varnelo {

LibraryExport::LibraryExport(const Session& session, CVarneloView* view, QWidget* parent)
    : QObject(parent), m_session(session), m_view(view), m_parent(parent) {
    m_action = new QAction(parent);
    connect(m_action, &QAction::triggered, this, &LibraryExport::run);
    retranslateUi();
}

bool LibraryExport::event(QEvent* event) {
    if (event->type() == QEvent::LanguageChange) retranslateUi();
    return QObject::event(event);
}

void LibraryExport::retranslateUi() {
    //: File menu: export the records' reflectance spectra as an ENVI spectral library.
    m_action->setText(tr("スペクトルライブラリへ書き出し..."));
    //: Status bar prompt of the spectral library export command.
    m_action->setStatusTip(tr("レコードの反射スペクトルを ENVI スペクトルライブラリ (.sli, .hdr, .csv) に書き出す"));
}

void LibraryExport::run() {
    if (m_view->downloading()) return;
    //: Title of the save dialog of the spectral library export.
    const auto path = AskExportFile(m_parent, tr("スペクトルライブラリへ書き出し"),
                                    QStringLiteral("ENVI Spectral Library (*.sli)"), QStringLiteral("sli"),
                                    m_session.path());
    if (path) exportTo(*path);
}

void LibraryExport::exportTo(const QString& path) {
    const LibraryFiles files = LibraryFileNames(ToPath(path));
    // The document's own file is never written over by one of the three.
    if (!m_session.path().empty()) {
        const std::filesystem::path inputs[] = {m_session.path()};
        if (!LibraryRefusal(files, inputs).empty()) {
            //: Message box: a file of the library (.hdr or .csv) would replace the open data file.
            ShowFileProblem(m_parent, tr("開いているデータファイルを上書きしてしまうため書き出せません。"), path);
            return;
        }
    }
    LibraryOptions options;
    options.description = "varnelo " + m_session.title();
    const ExportResult result = WriteWithProgress(
        //: Progress dialog while the spectral library is written.
        m_parent, tr("スペクトルライブラリに書き出しています..."), tr("キャンセル"), m_session.doc().recordCount(),
        [&](const ExportProgress& progress) { return m_session.exportLibrary(files, options, progress); });
    switch (result.status) {
        case ExportStatus::Written:
            //: Status bar: %1 spectra were written as an ENVI spectral library to file %2.
            emit m_view->statusWording([items = result.items, path] {
                return tr("%1 件のスペクトルをスペクトルライブラリに書き出しました: %2").arg(items).arg(path);
            });
            break;
        case ExportStatus::Cancelled:
            //: Status bar: the spectral library export was cancelled; nothing was written.
            emit m_view->statusWording([] { return tr("スペクトルライブラリの書き出しを取り消しました"); });
            break;
        case ExportStatus::Failed:
            //: Status bar: the spectral library could not be written; %1 the reason.
            emit m_view->statusWording([path] {
                return tr("スペクトルライブラリを書き出せませんでした: %1").arg(FileMessages::exportReason(path));
            });
            //: Message box: the spectral library could not be written (the file is named below it).
            ShowFileProblem(m_parent, tr("スペクトルライブラリを書き出せませんでした。"), path);
            break;
    }
}

LibraryExport* InstallLibraryExport(QMenu* fileMenu, CVarneloView* view, const Session& session, QWidget* parent) {
    auto* command = new LibraryExport(session, view, parent);
    fileMenu->addAction(command->action());
    return command;
}

}  // namespace varnelo
