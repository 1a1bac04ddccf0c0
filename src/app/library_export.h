#pragma once
// File > "スペクトルライブラリへ書き出し…": the document's records as an ENVI
// spectral library (.sli with its .hdr and the .csv of attributes), through
// a save dialog, with progress, written so that a failure leaves all three
// files as they were. Its enabling is the frame's, as the other exports'.

#include "app/export_command.h"

class QMenu;

namespace varnelo {

class LibraryExport : public ExportCommand {
    Q_OBJECT
public:
    LibraryExport(const Session& session, const ResultSettings& results, CVarneloView* view, QWidget* parent);
    void exportTo(const QString& path, const RowStages& stages) override;

private:
    void retranslateUi() override;
    SaveDialog saveDialog() const override;
};

// Appends the command to the file menu.
LibraryExport* InstallLibraryExport(QMenu* fileMenu, CVarneloView* view, const Session& session, const ResultSettings& results,
                     QWidget* parent);

}  // namespace varnelo
