#include "app/library_export.h"

#include <QAction>
#include <QMenu>

#include "app/file_messages.h"
#include "launch/path_text.h"

namespace varnelo {

LibraryExport::LibraryExport(const Session& session, const ResultSettings& results, CVarneloView* view, QWidget* parent)
    : ExportCommand(session, results, view, parent) {
    retranslateUi();
}

void LibraryExport::retranslateUi() {
    //: File menu: export the records' reflectance spectra as an ENVI spectral library.
    m_action->setText(tr("スペクトルライブラリへ書き出し..."));
    //: Status bar prompt of the spectral library export command.
    m_action->setStatusTip(tr("レコードの反射スペクトルを ENVI スペクトルライブラリ (.sli, .hdr, .csv) に書き出す"));
}

ExportCommand::SaveDialog LibraryExport::saveDialog() const {
    //: Title of the save dialog of the spectral library export.
    return {tr("スペクトルライブラリへ書き出し"), QStringLiteral("ENVI Spectral Library (*.sli)"),
            QStringLiteral("sli")};
}

void LibraryExport::exportTo(const QString& path, const RowStages& stages) {
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
    options.stages = stages;
    options.description = "varnelo " + m_session.title();
    Outcome outcome;
    outcome.written = [path](int items) {
        //: Status bar: %1 spectra were written as an ENVI spectral library to file %2.
        return tr("%1 件のスペクトルをスペクトルライブラリに書き出しました: %2").arg(items).arg(path);
    };
    //: Status bar: the spectral library export was cancelled; nothing was written.
    outcome.cancelled = [] { return tr("スペクトルライブラリの書き出しを取り消しました"); };
    outcome.failed = [](const QString& reason) {
        //: Status bar: the spectral library could not be written; %1 the reason.
        return tr("スペクトルライブラリを書き出せませんでした: %1").arg(reason);
    };
    //: Message box: the spectral library could not be written (the file is named below it).
    outcome.failedBox = tr("スペクトルライブラリを書き出せませんでした。");
    write(path,
          //: Progress dialog while the spectral library is written.
          tr("スペクトルライブラリに書き出しています..."), tr("キャンセル"),
          [&](const ExportProgress& progress) { return m_session.exportLibrary(files, options, progress); }, outcome);
}

LibraryExport* InstallLibraryExport(QMenu* fileMenu, CVarneloView* view, const Session& session, const ResultSettings& results,
                     QWidget* parent) {
    auto* command = new LibraryExport(session, results, view, parent);
    fileMenu->addAction(command->action());
    return command;
}

}  // namespace varnelo
