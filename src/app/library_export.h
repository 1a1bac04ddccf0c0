#pragma once
// File > "スペクトルライブラリへ書き出し…": the document's records as an ENVI
// spectral library (.sli with its .hdr and the .csv of attributes), through
// a save dialog, with progress, written so that a failure leaves all three
// files as they were. Its enabling is the frame's, as the other exports'.

#include <QObject>
#include <QString>

#include "session/session.h"

class QAction;
class QMenu;
class QWidget;

namespace varnelo {

class CVarneloView;

class LibraryExport : public QObject {
    Q_OBJECT
public:
    LibraryExport(const Session& session, CVarneloView* view, QWidget* parent);

    QAction* action() const { return m_action; }
    // Writes the library to path (the .sli); the result is said in the status bar or a message box.
    void exportTo(const QString& path);

public slots:
    void run();

protected:
    bool event(QEvent* event) override;

private:
    void retranslateUi();

    const Session& m_session;
    CVarneloView* m_view;
    QWidget* m_parent;
    QAction* m_action;
};

// Appends the command to the file menu.
LibraryExport* InstallLibraryExport(QMenu* fileMenu, CVarneloView* view, const Session& session, QWidget* parent);

}  // namespace varnelo
