#pragma once
// File > "GISへ書き出し…": the document's records as a GIS point layer
// (GeoJSON) with their spectral indices and reflectance profiles, through
// a save dialog, with progress, written by the same safe writer as the CSV
// file. Its enabling is the frame's, as the CSV export's.

#include <QObject>
#include <QString>

#include "session/session.h"

class QAction;
class QMenu;
class QWidget;

namespace varnelo {

class CVarneloView;

class GisExport : public QObject {
    Q_OBJECT
public:
    GisExport(const Session& session, CVarneloView* view, QWidget* parent);

    QAction* action() const { return m_action; }
    // Writes the layer to path; the result is said in the status bar or a message box.
    void exportTo(const QString& path);

public slots:
    void run();

protected:
    // The frame passes its LanguageChange on to its children, this one included.
    bool event(QEvent* event) override;

private:
    void retranslateUi();

    const Session& m_session;
    CVarneloView* m_view;
    QWidget* m_parent;
    QAction* m_action;
};

// Appends the command to the file menu.
GisExport* InstallGisExport(QMenu* fileMenu, CVarneloView* view, const Session& session, QWidget* parent);

}  // namespace varnelo
