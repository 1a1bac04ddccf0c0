#include "app/export_command.h"

#include <QAction>
#include <QEvent>

#include "app/export_dialogs.h"
#include "app/file_messages.h"
#include "app/result_settings.h"
#include "app/varnelo_view.h"

namespace varnelo {

ExportCommand::ExportCommand(const Session& session, const ResultSettings& results, CVarneloView* view,
                             QWidget* parent)
    : QObject(parent), m_session(session), m_results(results), m_view(view), m_parent(parent) {
    m_action = new QAction(parent);
    connect(m_action, &QAction::triggered, this, &ExportCommand::run);
}

bool ExportCommand::event(QEvent* event) {
    if (event->type() == QEvent::LanguageChange) retranslateUi();
    return QObject::event(event);
}

void ExportCommand::run() {
    if (m_view->downloading()) return;
    const std::optional<RowStages> stages = m_results.stagesFor(m_session.doc(), m_parent);
    if (!stages) return;
    const SaveDialog dialog = saveDialog();
    const auto path = AskExportFile(m_parent, dialog.title, dialog.filter, dialog.suffix, m_session.path());
    if (path) exportTo(*path, *stages);
}

void ExportCommand::write(const QString& path, const QString& label, const QString& cancel,
                          const std::function<ExportResult(const ExportProgress&)>& write, const Outcome& outcome) {
    // What the pane said before is not this export's.
    emit m_view->statusWording({});
    const ExportResult result = WriteWithProgress(m_parent, label, cancel, m_session.doc().recordCount(), write);
    if (result.status) {
        emit m_view->statusWording([written = outcome.written, items = result.items] { return written(items); });
    } else if (result.status.cancelled()) {
        emit m_view->statusWording(outcome.cancelled);
    } else {
        emit m_view->statusWording(
            [failed = outcome.failed, path] { return failed(FileMessages::exportReason(path)); });
        ShowFileProblem(m_parent, outcome.failedBox, path);
    }
}

}  // namespace varnelo
