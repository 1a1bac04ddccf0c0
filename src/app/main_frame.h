#pragma once
// The one main window of the run: the menus, the toolbar and the status bar
// around the main form, the file commands, the recent-file list, dropped
// files and the questions that keep a download from being lost: whether to
// stop one under way, whether to save one not yet saved. One document, one
// form for the whole run; File > New and File > Open reuse both. Every
// command's enabling is set in one place, updateState().

#include <QMainWindow>
#include <QStringList>
#include <functional>
#include <memory>

#include "launch/logger_options.h"
#include "session/logger_session.h"
#include "session/session.h"

class QAction;
class QLabel;
class QMenu;
class QProgressBar;
class QShortcut;
class QToolButton;

namespace varnelo {

class CVarneloView;
class FormScrollArea;
class LoggerThread;
class IndexReadout;
class ResultSettings;

class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    explicit CMainFrame(const LoggerChoice& logger, QWidget* parent = nullptr);
    ~CMainFrame() override;

    // The command line's command: opens the named file (none: a new
    // document), shows the window and runs the form's first initial update.
    // False when the file cannot be opened; its message has been shown and
    // the program ends.
    bool start(const QString& file);

    Session& session() { return *m_session; }
    CVarneloView* view() const { return m_view; }
    LoggerThread& logger() const { return *m_logger; }

    // Menu and toolbar commands, by what they do; for the enabling rules and tests.
    enum class Command { New, Open, Save, SaveAs, Exit, Undo, Cut, Copy, Paste, Print, EditHardware, Toolbar,
                         StatusBar, About };
    QAction* action(Command command) const;
    QMenu* recentFileMenu() const { return m_fileMenu; }
    // What holds the form: it scrolls when the window is smaller than the form.
    FormScrollArea* formArea() const { return m_scroll; }
    QStringList recentFiles() const { return m_recentFiles; }
    // The status bar's control that stops a download; shown while one runs.
    QToolButton* stopButton() const { return m_stopButton; }
    // File > "新しいレコードを読み出し".
    QAction* readNewAction() const { return m_readNewAction; }

public slots:
    void OnFileNew();
    void OnFileOpen();
    bool OnFileSave();
    bool OnFileSaveAs();
    void OnAppAbout();
    void OnEditHardware();
    // File > Open without the dialog: a recent file, a dropped file.
    bool openDocument(const QString& path);
    // Stops a download under way (Esc, the stop control), keeping what is complete.
    void OnStopDownload();
    // The values under the pointer, in the readout pane; empty: none.
    void showReadout(const QString& text);

protected:
    bool event(QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void buildMenus();
    void buildToolbar();
    void buildStatusBar();
    QAction* makeAction(Command command, const QList<QKeySequence>& shortcuts = {});
    void retranslateUi();
    // Asks whether to stop a download under way, then about unsaved
    // records; false when the user says no to either and the document and
    // any download must stay as they are.
    bool readyToReplace(const char* why);  // why: a CMainFrame text, said in the status bar
    bool maybeSave();
    bool loadDocument(const QString& path);
    void showFileProblem(const Status& error, const QString& path);
    void openRecentFile(const QString& path);
    bool saveDocument(const QString& path);
    void rememberFile(const QString& path);
    void updateRecentFileMenu();
    void updateTitle();
    void updateState();
    void showStatus(const QString& text);
    // A message that is said again when the language changes.
    void showWording(const std::function<QString()>& wording);
    // Gives the readout pane what the message pane's half of the bar leaves.
    void fitStatusPanes();
    void showDownloadProgress(int done, int total);
    QString documentTitle() const;

    std::unique_ptr<Session> m_session;
    // The logger, on a thread of its own: its port, what the connection
    // read, the job under way.
    std::unique_ptr<LoggerThread> m_logger;
    CVarneloView* m_view = nullptr;
    FormScrollArea* m_scroll = nullptr;  // holds the form
    QMenu* m_fileMenu = nullptr;
    QMenu* m_editMenu = nullptr;
    QMenu* m_viewMenu = nullptr;
    QMenu* m_helpMenu = nullptr;
    QAction* m_nextPane = nullptr;
    QAction* m_previousPane = nullptr;
    QAction* m_recentPlaceholder = nullptr;
    QList<QAction*> m_recentActions;
    QAction* m_recentSeparator = nullptr;
    QStringList m_recentFiles;
    std::map<Command, QAction*> m_actions;
    QAction* m_readNewAction = nullptr;
    QAction* m_gisExport = nullptr;
    QAction* m_libraryExport = nullptr;
    QAction* m_netcdfExport = nullptr;
    QAction* m_resultSettings = nullptr;
    ResultSettings* m_results = nullptr;
    QLabel* m_idleText = nullptr;
    std::function<QString()> m_message;  // the message pane's last message, kept over prompts
    IndexReadout* m_readout = nullptr;
    QProgressBar* m_progress = nullptr;
    QToolButton* m_stopButton = nullptr;
    QShortcut* m_stopKey = nullptr;
    QShortcut* m_refusedSave = nullptr;  // Ctrl+S while the Save command is off
};

}  // namespace varnelo
