#include "app/gis_export.h"

#include <QAction>
#include <QMenu>

#include "export/index_export.h"
#include "launch/path_text.h"

namespace varnelo {

GisExport::GisExport(const Session& session, const ResultSettings& results, CVarneloView* view, QWidget* parent)
    : ExportCommand(session, results, view, parent) {
    retranslateUi();
}

void GisExport::retranslateUi() {
    //: File menu: export the records as a point layer for GIS programs (GeoJSON with spectral indices).
    m_action->setText(tr("GISへ書き出し..."));
    //: Status bar prompt of the GIS export command.
    m_action->setStatusTip(tr("レコードを分光指数と反射スペクトル付きの GIS ポイントレイヤー (GeoJSON) に書き出す"));
}

ExportCommand::SaveDialog GisExport::saveDialog() const {
    //: Title of the save dialog of the GIS export.
    return {tr("GISへ書き出し"), QStringLiteral("GeoJSON (*.geojson)"), QStringLiteral("geojson")};
}

void GisExport::exportTo(const QString& path, const RowStages& stages) {
    const PointLayerOptions options{DefaultIndices(), true, stages, {}, true};
    Outcome outcome;
    outcome.written = [path](int items) {
        //: Status bar: %1 points (records with a GPS fix) were written as a GIS point layer to file %2.
        return tr("%1 点を GIS ポイントレイヤーに書き出しました: %2").arg(items).arg(path);
    };
    //: Status bar: the GIS export was cancelled; nothing was written.
    outcome.cancelled = [] { return tr("GIS への書き出しを取り消しました"); };
    outcome.failed = [](const QString& reason) {
        //: Status bar: the GIS point layer could not be written; %1 the reason.
        return tr("GIS ポイントレイヤーを書き出せませんでした: %1").arg(reason);
    };
    //: Message box: the GIS point layer could not be written (the file is named below it).
    outcome.failedBox = tr("GIS ポイントレイヤーを書き出せませんでした。");
    write(path,
          //: Progress dialog while the GIS point layer is written.
          tr("GIS ポイントレイヤーに書き出しています..."), tr("キャンセル"),
          [&](const ExportProgress& progress) {
              return ExportPointLayer(ToPath(path), m_session.doc(), options, progress);
          },
          outcome);
}

GisExport* InstallGisExport(QMenu* fileMenu, CVarneloView* view, const Session& session, const ResultSettings& results,
                     QWidget* parent) {
    auto* command = new GisExport(session, results, view, parent);
    fileMenu->addAction(command->action());
    return command;
}

}  // namespace varnelo
