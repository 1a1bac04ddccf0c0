#pragma once
// File > "GISへ書き出し…": the document's records as a GIS point layer
// (GeoJSON) with their spectral indices and reflectance profiles, through
// a save dialog, with progress, written by the same safe writer as the CSV
// file. Its enabling is the frame's, as the CSV export's.

#include "app/export_command.h"

class QMenu;

namespace varnelo {

class GisExport : public ExportCommand {
    Q_OBJECT
public:
    GisExport(const Session& session, const ResultSettings& results, CVarneloView* view, QWidget* parent);
    void exportTo(const QString& path, const RowStages& stages) override;

private:
    void retranslateUi() override;
    SaveDialog saveDialog() const override;
};

// Appends the command to the file menu.
GisExport* InstallGisExport(QMenu* fileMenu, CVarneloView* view, const Session& session, const ResultSettings& results,
                     QWidget* parent);

}  // namespace varnelo
