#include "app/netcdf_export_command.h"

#include <QAction>
#include <QCoreApplication>
#include <QMenu>

#include "export/provenance.h"
#include "io/path_text.h"
#include "launch/path_text.h"
#include "netcdf/netcdf_export.h"

namespace varnelo {

NetcdfExport::NetcdfExport(const Session& session, const ResultSettings& results, CVarneloView* view, QWidget* parent)
    : ExportCommand(session, results, view, parent) {
    retranslateUi();
}

void NetcdfExport::retranslateUi() {
    //: File menu: export the records as a NetCDF-4 file (CF conventions) for the geosciences' tools.
    m_action->setText(tr("NetCDFへ書き出し..."));
    //: Status bar prompt of the NetCDF export command.
    m_action->setStatusTip(tr("レコードのスペクトル、反射率、位置と品質フラグを NetCDF (CF) ファイルに書き出す"));
}

ExportCommand::SaveDialog NetcdfExport::saveDialog() const {
    //: Title of the save dialog of the NetCDF export.
    return {tr("NetCDFへ書き出し"), QStringLiteral("NetCDF (*.nc)"), QStringLiteral("nc")};
}

void NetcdfExport::exportTo(const QString& path, const RowStages& stages) {
    NetcdfOptions options;
    options.stages = stages;
    const std::filesystem::path& file = m_session.path();
    // Records not yet saved have no file to be named after.
    options.trajectory = file.empty() ? std::string("untitled") : PathText(file.filename());
    const std::string program = "varnelo " + QCoreApplication::applicationVersion().toStdString();
    options.history = ProvenanceText({program, {file.empty() ? options.trajectory : PathText(file)}, StagesText(stages)});
    Outcome outcome;
    outcome.written = [path](int items) {
        //: Status bar: %1 records were written as a NetCDF file %2.
        return tr("%1 件のレコードを NetCDF に書き出しました: %2").arg(items).arg(path);
    };
    //: Status bar: the NetCDF export was cancelled; nothing was written.
    outcome.cancelled = [] { return tr("NetCDF への書き出しを取り消しました"); };
    outcome.failed = [](const QString& reason) {
        //: Status bar: the NetCDF file could not be written; %1 the reason.
        return tr("NetCDF ファイルを書き出せませんでした: %1").arg(reason);
    };
    //: Message box: the NetCDF file could not be written (the file is named below it).
    outcome.failedBox = tr("NetCDF ファイルを書き出せませんでした。");
    write(path,
          //: Progress dialog while the NetCDF file is written.
          tr("NetCDF に書き出しています..."), tr("キャンセル"),
          [&](const ExportProgress& progress) {
              return m_session.withRecordFile(
                  [&](DataFileReader& source) { return ExportNetcdf(ToPath(path), source, options, progress); });
          },
          outcome);
}

NetcdfExport* InstallNetcdfExport(QMenu* fileMenu, CVarneloView* view, const Session& session,
                                  const ResultSettings& results, QWidget* parent) {
    auto* command = new NetcdfExport(session, results, view, parent);
    fileMenu->addAction(command->action());
    return command;
}

}  // namespace varnelo
