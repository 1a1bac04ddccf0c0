#pragma once
// A File menu command that writes the document's records to a file the user
// names: the action, the stages of the result settings, the save dialog, the
// progress dialog and the report of how it went are the same for every such
// export; each says its own texts and does its own writing.

#include <QObject>
#include <QString>
#include <functional>

#include "export/csv_export.h"
#include "session/session.h"

class QAction;
class QWidget;

namespace varnelo {

class CVarneloView;
class ResultSettings;

class ExportCommand : public QObject {
    Q_OBJECT
public:
    QAction* action() const { return m_action; }
    // Writes to path with the stages; the result is said in the status bar
    // or a message box.
    virtual void exportTo(const QString& path, const RowStages& stages) = 0;

public slots:
    // Unless records are arriving: the stages of the result settings, which
    // must fit the records, then the file asked for, then the writing.
    void run();

protected:
    struct SaveDialog {
        QString title, filter, suffix;
    };
    // The status bar's words for each outcome (failed: given the reason),
    // and the message box's on failure.
    struct Outcome {
        std::function<QString(int items)> written;
        std::function<QString()> cancelled;
        std::function<QString(const QString& reason)> failed;
        QString failedBox;
    };

    ExportCommand(const Session& session, const ResultSettings& results, CVarneloView* view, QWidget* parent);
    // The frame passes its LanguageChange on to its children, this one included.
    bool event(QEvent* event) override;
    virtual void retranslateUi() = 0;
    virtual SaveDialog saveDialog() const = 0;

    // Runs write behind the progress dialog saying label, whose cancel
    // button stops it, and reports the outcome.
    void write(const QString& path, const QString& label, const QString& cancel,
               const std::function<ExportResult(const ExportProgress&)>& write, const Outcome& outcome);

    const Session& m_session;
    const ResultSettings& m_results;
    CVarneloView* m_view;
    QWidget* m_parent;
    QAction* m_action;
};

}  // namespace varnelo
