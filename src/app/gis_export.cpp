#include "app/gis_export.h"

#include <QAction>
#include <QEvent>
#include <QMenu>

#include "app/export_dialogs.h"
#include "app/file_messages.h"
#include "app/varnelo_view.h"
#include "export/index_export.h"
#include "launch/path_text.h"

namespace varnelo {

GisExport::GisExport(const Session& session, CVarneloView* view, QWidget* parent)
    : QObject(parent), m_session(session), m_view(view), m_parent(parent) {
    m_action = new QAction(parent);
    connect(m_action, &QAction::triggered, this, &GisExport::run);
    retranslateUi();
}

bool GisExport::event(QEvent* event) {
    if (event->type() == QEvent::LanguageChange) retranslateUi();
    return QObject::event(event);
}

void GisExport::retranslateUi() {
    //: File menu: export the records as a point layer for GIS programs (GeoJSON with spectral indices).
    m_action->setText(tr("GISへ書き出し..."));
    //: Status bar prompt of the GIS export command.
    m_action->setStatusTip(tr("レコードを分光指数と反射スペクトル付きの GIS ポイントレイヤー (GeoJSON) に書き出す"));
}

void GisExport::run() {
    if (m_view->downloading()) return;
    //: Title of the save dialog of the GIS export.
    const auto path = AskExportFile(m_parent, tr("GISへ書き出し"), QStringLiteral("GeoJSON (*.geojson)"),
                                    QStringLiteral("geojson"), m_session.path());
    if (path) exportTo(*path);
}

void GisExport::exportTo(const QString& path) {
    const int count = m_session.doc().recordCount();
    const PointLayerOptions options{DefaultIndices(), true, {}, {}};
    const ExportResult result = WriteWithProgress(
        //: Progress dialog while the GIS point layer is written.
        m_parent, tr("GIS ポイントレイヤーに書き出しています..."), tr("キャンセル"), count,
        [&](const ExportProgress& progress) { return ExportPointLayer(ToPath(path), m_session.doc(), options, progress); });
    switch (result.status) {
        case ExportStatus::Written:
            //: Status bar: %1 points (records with a GPS fix) were written as a GIS point layer to file %2.
            emit m_view->statusWording([items = result.items, path] {
                return tr("%1 点を GIS ポイントレイヤーに書き出しました: %2").arg(items).arg(path);
            });
            break;
        case ExportStatus::Cancelled:
            //: Status bar: the GIS export was cancelled; nothing was written.
            emit m_view->statusWording([] { return tr("GIS への書き出しを取り消しました"); });
            break;
        case ExportStatus::Failed:
            //: Status bar: the GIS point layer could not be written; %1 the reason.
            emit m_view->statusWording(
                [path] { return tr("GIS ポイントレイヤーを書き出せませんでした: %1").arg(FileMessages::exportReason(path)); });
            //: Message box: the GIS point layer could not be written (the file is named below it).
            ShowFileProblem(m_parent, tr("GIS ポイントレイヤーを書き出せませんでした。"), path);
            break;
    }
}

GisExport* InstallGisExport(QMenu* fileMenu, CVarneloView* view, const Session& session, QWidget* parent) {
    auto* command = new GisExport(session, view, parent);
    fileMenu->addAction(command->action());
    return command;
}

}  // namespace varnelo
