#pragma once
// File > "NetCDFへ書き出し...": the document's records as one NetCDF-4 file
// in the CF conventions (netcdf/netcdf_export.h), with the result settings'
// stages, through a save dialog, with progress; the file takes its name only
// once written whole. Its enabling is the frame's, as the other exports'.

#include "app/export_command.h"

class QMenu;

namespace varnelo {

class NetcdfExport : public ExportCommand {
    Q_OBJECT
public:
    NetcdfExport(const Session& session, const ResultSettings& results, CVarneloView* view, QWidget* parent);
    void exportTo(const QString& path, const RowStages& stages) override;

private:
    void retranslateUi() override;
    SaveDialog saveDialog() const override;
};

// Appends the command to the file menu.
NetcdfExport* InstallNetcdfExport(QMenu* fileMenu, CVarneloView* view, const Session& session,
                                  const ResultSettings& results, QWidget* parent);

}  // namespace varnelo
