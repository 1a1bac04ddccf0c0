#include "app/main_frame.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QToolBar>
#include <QToolButton>

#include "app/about_dialog.h"
#include "app/app_icons.h"
#include "app/file_messages.h"
#include "app/form_geometry.h"
#include "app/form_scroll_area.h"
#include "app/form_style.h"
#include "app/message_status_bar.h"
#include "app/window_size.h"
#include "app/language.h"
#include "app/logger_thread.h"
#include "app/gis_export.h"
#include "app/index_readout.h"
#include "app/library_export.h"
#include "app/netcdf_export_command.h"
#include "app/recent_files.h"
#include "app/result_settings.h"
#include "app/result_settings_dialog.h"
#include "app/setting_dialog.h"
#include "app/track_colour_menu.h"
#include "app/varnelo_view.h"
#include "launch/path_text.h"

namespace varnelo {

namespace {

// Pixels between two panes of the status bar, as its layout puts them.
constexpr int STATUS_PANE_GAP = 6;

const QString DATA_FILE_FILTER = QStringLiteral("Varnelo Files (*.vrnldata)");
const QString DATA_FILE_SUFFIX = QStringLiteral("vrnldata");

// The window's wording of why a data file could not be opened or saved.
QString FileProblemText(Status::Kind kind) {
    switch (kind) {
        case Status::Kind::UnexpectedFormat: return CMainFrame::tr("予期しないファイル形式です。");
        case Status::Kind::NotRegular:
            return CMainFrame::tr("通常のファイルではありません (パイプ、FIFO またはデバイス)。ファイルに保存してから開いてください。");
        case Status::Kind::SaveFailed: return CMainFrame::tr("ドキュメントの保存に失敗しました。");
        default: break;
    }
    return CMainFrame::tr("ドキュメントを開くことに失敗しました。");
}

}  // namespace

CMainFrame::CMainFrame(const LoggerChoice& logger, QWidget* parent)
    : QMainWindow(parent),
      m_session(std::make_unique<Session>()) {
    auto interrupt = std::make_shared<LinkInterrupt>();
    LoggerChoice chosen = logger;
    chosen.interrupt = interrupt;
    m_logger = std::make_unique<LoggerThread>([chosen] { return ConnectAsChosen(chosen, nullptr); }, interrupt);
    setWindowIcon(ApplicationIcon());
    setAcceptDrops(true);
    setStatusBar(new MessageStatusBar(this));

    m_results = new ResultSettings(this);
    m_view = new CVarneloView(*m_session, *m_logger, this);
    // The form scrolls in a window smaller than it, and grows in a larger one.
    m_scroll = new FormScrollArea(this);
    m_scroll->setWidget(m_view);
    setCentralWidget(m_scroll);
    connect(m_view, &CVarneloView::jobStarting, this, [this] { showStatus(QString()); });
    connect(m_view, &CVarneloView::statusMessage, this, &CMainFrame::showStatus);
    connect(m_view, &CVarneloView::statusWording, this, &CMainFrame::showWording);
    // Pointer readouts have a pane of their own, so that they never cover a message.
    connect(m_view, &CVarneloView::readoutMessage, this, &CMainFrame::showReadout);
    connect(m_view, &CVarneloView::downloadProgress, this, &CMainFrame::showDownloadProgress);
    connect(m_view, &CVarneloView::documentChanged, this, [this] {
        updateTitle();
        updateState();
    });
    connect(m_view, &CVarneloView::stateChanged, this, &CMainFrame::updateState);
    connect(m_logger.get(), &LoggerThread::stateChanged, this, &CMainFrame::updateState);
    // Reading over records no file has asks first, as New and Open do.
    m_view->setDownloadGate([this] { return maybeSave(); });

    buildMenus();
    buildToolbar();
    buildStatusBar();

    m_stopKey = new QShortcut(QKeySequence(Qt::Key_Escape), this, this, &CMainFrame::OnStopDownload);
    // Save is off while records arrive; its key says why instead of doing nothing.
    m_refusedSave = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_S), this, this, [this] {
        showWording([] { return tr("読み出し中は保存できません。読み出しが終わるか、中止してから保存してください。"); });
    });

    m_recentFiles = LoadRecentFiles();
    updateRecentFileMenu();
    retranslateUi();
}

CMainFrame::~CMainFrame() = default;

QAction* CMainFrame::makeAction(Command command, const QList<QKeySequence>& shortcuts) {
    auto* a = new QAction(this);
    a->setShortcuts(shortcuts);
    addAction(a);  // shortcuts work with the menus closed
    m_actions[command] = a;
    return a;
}

QAction* CMainFrame::action(Command command) const {
    const auto found = m_actions.find(command);
    return found == m_actions.end() ? nullptr : found->second;
}

void CMainFrame::buildMenus() {
    using K = QKeySequence;
    QAction* newAction = makeAction(Command::New, {K(Qt::CTRL | Qt::Key_N)});
    QAction* openAction = makeAction(Command::Open, {K(Qt::CTRL | Qt::Key_O)});
    QAction* saveAction = makeAction(Command::Save, {K(Qt::CTRL | Qt::Key_S)});
    QAction* saveAsAction = makeAction(Command::SaveAs);
    QAction* exitAction = makeAction(Command::Exit);
    connect(newAction, &QAction::triggered, this, &CMainFrame::OnFileNew);
    connect(openAction, &QAction::triggered, this, &CMainFrame::OnFileOpen);
    connect(saveAction, &QAction::triggered, this, &CMainFrame::OnFileSave);
    connect(saveAsAction, &QAction::triggered, this, &CMainFrame::OnFileSaveAs);
    connect(exitAction, &QAction::triggered, this, &QWidget::close);

    m_fileMenu = menuBar()->addMenu(QString());
    m_fileMenu->addActions({newAction, openAction, saveAction, saveAsAction});
    // Appending to the open document: it keeps its file name, unlike a full download.
    m_readNewAction = m_fileMenu->addAction(QString(), m_view, &CVarneloView::jobStarting);
    connect(m_readNewAction, &QAction::triggered, m_view, &CVarneloView::OnReadNewButton);
    m_gisExport = InstallGisExport(m_fileMenu, m_view, *m_session, *m_results, this)->action();
    m_libraryExport = InstallLibraryExport(m_fileMenu, m_view, *m_session, *m_results, this)->action();
    m_netcdfExport = InstallNetcdfExport(m_fileMenu, m_view, *m_session, *m_results, this)->action();
    m_fileMenu->addSeparator();
    m_recentPlaceholder = m_fileMenu->addAction(QString());
    m_recentPlaceholder->setEnabled(false);
    m_recentSeparator = m_fileMenu->addSeparator();
    m_fileMenu->addAction(exitAction);

    // Commands without a handler: present, always disabled, their keys do nothing.
    QAction* undo = makeAction(Command::Undo, {K(Qt::CTRL | Qt::Key_Z), K(Qt::ALT | Qt::Key_Backspace)});
    QAction* cut = makeAction(Command::Cut, {K(Qt::CTRL | Qt::Key_X), K(Qt::SHIFT | Qt::Key_Delete)});
    QAction* copy = makeAction(Command::Copy, {K(Qt::CTRL | Qt::Key_C), K(Qt::CTRL | Qt::Key_Insert)});
    QAction* paste = makeAction(Command::Paste, {K(Qt::CTRL | Qt::Key_V), K(Qt::SHIFT | Qt::Key_Insert)});
    QAction* print = makeAction(Command::Print);
    for (QAction* a : {undo, cut, copy, paste, print}) a->setEnabled(false);
    QAction* hardware = makeAction(Command::EditHardware);
    connect(hardware, &QAction::triggered, this, &CMainFrame::OnEditHardware);

    m_editMenu = menuBar()->addMenu(QString());
    m_editMenu->addAction(undo);
    m_editMenu->addSeparator();
    m_editMenu->addActions({cut, copy, paste, hardware});

    QAction* toolbarToggle = makeAction(Command::Toolbar);
    QAction* statusToggle = makeAction(Command::StatusBar);
    for (QAction* a : {toolbarToggle, statusToggle}) {
        a->setCheckable(true);
        a->setChecked(true);
    }
    connect(statusToggle, &QAction::toggled, this, [this](bool on) { statusBar()->setVisible(on); });
    m_viewMenu = menuBar()->addMenu(QString());
    m_viewMenu->addActions({toolbarToggle, statusToggle});
    InstallTrackColourMenu(m_viewMenu, m_view, *m_session);
    m_resultSettings = InstallResultSettingsMenu(m_viewMenu, *m_results, m_view->recordList(), this);
    AddLanguageMenu(m_viewMenu);

    QAction* about = makeAction(Command::About);
    connect(about, &QAction::triggered, this, &CMainFrame::OnAppAbout);
    m_helpMenu = menuBar()->addMenu(QString());
    m_helpMenu->addAction(about);

    // One pane only: next and previous pane have nowhere to go.
    m_nextPane = new QAction(this);
    m_nextPane->setShortcut(K(Qt::Key_F6));
    m_previousPane = new QAction(this);
    m_previousPane->setShortcut(K(Qt::SHIFT | Qt::Key_F6));
    addActions({m_nextPane, m_previousPane});
}

void CMainFrame::retranslateUi() {
    // A prompt is the status-bar text, then after a line feed the tooltip.
    const auto say = [this](Command command, const QString& text, const QString& prompt) {
        QAction* a = action(command);
        const qsizetype split = prompt.indexOf(QLatin1Char('\n'));
        a->setText(text);
        a->setStatusTip(split < 0 ? prompt : prompt.left(split));
        a->setToolTip(split < 0 ? QString() : prompt.mid(split + 1));
    };
    say(Command::New, tr("新規作成\tCtrl+N(&N)"), tr("新規にファイルを作成\n新規ファイル"));
    say(Command::Open, tr("開く...\tCtrl+O(&O)"), tr("既存のファイルを開く\n開く"));
    say(Command::Save, tr("上書き保存\tCtrl+S(&S)"), tr("作業中のファイルを上書きして保存\n保存"));
    say(Command::SaveAs, tr("名前を付けて保存(&A)..."), tr("作業中のファイルを新しい名前で保存\n名前をつけて保存"));
    // A backslash, not a line feed, before the last word: all of it is the prompt.
    say(Command::Exit, tr("アプリケーションの終了(&X)"), tr("アプリケーションを終了し、ファイルの保存を指示\\終了"));
    say(Command::Undo, tr("元に戻す\tCtrl+Z(&U)"), tr("直前に行った動作を元に戻す\n元に戻す"));
    say(Command::Cut, tr("切り取り\tCtrl+X(&T)"), tr("選択範囲を切り取ってクリップボードに保存\n切り取り"));
    say(Command::Copy, tr("コピー\tCtrl+C(&C)"), tr("選択範囲をコピーしてクリップボードに保存\n保存"));
    say(Command::Paste, tr("貼り付け\tCtrl+V(&P)"), tr("クリップボードの内容を貼り付け\n貼り付け"));
    say(Command::Print, tr("印刷"), tr("作業中のドキュメントを印刷\n印刷"));
    say(Command::EditHardware, tr("ハードウェアの編集"), QString());
    say(Command::Toolbar, tr("ツール バー(&T)"), tr("ツール バーの 表示/非表示\nツール バーの表示切り替え"));
    say(Command::StatusBar, tr("ステータス バー(&S)"), tr("ステータス バーの 表示/非表示\nステータス バーの表示切り替え"));
    say(Command::About, tr("バージョン情報 Varnelo(&A)..."), tr("プログラム情報、バージョン、著作権を表示します。\nバージョン情報"));
    m_fileMenu->setTitle(tr("ファイル(&F)"));
    m_readNewAction->setText(tr("新しいレコードを読み出し"));
    m_readNewAction->setStatusTip(tr("ロガーの新しいレコードだけをドキュメントに追加"));
    m_recentPlaceholder->setText(tr("最近使ったファイル"));
    for (QAction* a : m_recentActions) a->setStatusTip(tr("指定のファイルを開く"));
    m_editMenu->setTitle(tr("編集(&E)"));
    m_viewMenu->setTitle(tr("表示(&V)"));
    //: View menu: the settings every result export uses (UTC offset, white panel, sun, saturation).
    m_resultSettings->setText(tr("結果の設定..."));
    m_resultSettings->setStatusTip(tr("書き出す結果の時差、白色板、太陽の高さと飽和レベルを設定"));
    m_helpMenu->setTitle(tr("ヘルプ(&H)"));
    m_nextPane->setStatusTip(tr("次のウィンドウに切り替える"));
    m_previousPane->setStatusTip(tr("前のウィンドウに切り替える"));
    m_idleText->setText(tr("レディ"));
    m_scroll->setAccessibleName(tr("メイン フォーム"));
    m_stopButton->setText(tr("中止"));
    // The caption and the stop control's tip are put together at run time.
    updateTitle();
    updateState();
    if (m_message) showWording(m_message);
}

void CMainFrame::buildToolbar() {
    QToolBar* bar = addToolBar(QStringLiteral("toolbar"));
    bar->setObjectName(QStringLiteral("toolbar"));
    bar->setIconSize(QSize(16, 15));
    bar->setFloatable(false);
    const auto add = [&](Command command, ToolbarIcon icon) {
        QAction* a = action(command);
        a->setIcon(ToolbarIconFor(icon));
        bar->addAction(a);
    };
    add(Command::New, ToolbarIcon::New);
    add(Command::Open, ToolbarIcon::Open);
    add(Command::Save, ToolbarIcon::Save);
    bar->addSeparator();
    add(Command::Cut, ToolbarIcon::Cut);
    add(Command::Copy, ToolbarIcon::Copy);
    add(Command::Paste, ToolbarIcon::Paste);
    bar->addSeparator();
    add(Command::Print, ToolbarIcon::Print);
    add(Command::About, ToolbarIcon::About);
    QAction* toggle = action(Command::Toolbar);
    connect(toggle, &QAction::toggled, bar, &QToolBar::setVisible);
    connect(bar, &QToolBar::visibilityChanged, toggle, &QAction::setChecked);
}

void CMainFrame::buildStatusBar() {
    QStatusBar* bar = statusBar();
    // The message pane: prompts and messages cover the idle text for a while.
    m_idleText = new QLabel(bar);
    bar->addWidget(m_idleText, 1);
    // The bar hides the idle text under a message but leaves it free to be
    // shown again whenever it lays its panes out anew (a pane shown, a
    // font changed), which drew both texts over each other: it is hidden
    // and shown here, explicitly.
    connect(bar, &QStatusBar::messageChanged, m_idleText, [this](const QString& message) {
        m_idleText->setVisible(message.isEmpty());
    });
    m_readout = InstallIndexReadout(bar, m_view, *m_session, *m_results);
    // The bar draws a message up to the next pane's edge: the pane keeps it apart.
    m_readout->setContentsMargins(2 * STATUS_PANE_GAP, 0, 0, 0);
    m_progress = new QProgressBar(bar);
    m_progress->setFormat(QStringLiteral("%v / %m"));
    m_progress->setFixedWidth(DialogRect(0, 0, 100, 0).width());
    m_progress->hide();
    bar->addPermanentWidget(m_progress);
    m_stopButton = new QToolButton(bar);
    m_stopButton->hide();
    connect(m_stopButton, &QToolButton::clicked, this, &CMainFrame::OnStopDownload);
    bar->addPermanentWidget(m_stopButton);
    for (const char* indicator : {"CAP", "NUM", "SCRL"}) {
        auto* label = new QLabel(QString::fromLatin1(indicator), bar);
        label->setEnabled(false);
        bar->addPermanentWidget(label);
    }
    // As tall from the start as when a download shows its panes, so that the
    // form's room does not change while records arrive.
    m_progress->show();
    m_stopButton->show();
    QEvent request(QEvent::LayoutRequest);
    QCoreApplication::sendEvent(bar, &request);
    bar->setMinimumHeight(bar->sizeHint().height());
    m_progress->hide();
    m_stopButton->hide();
}

bool CMainFrame::start(const QString& file) {
    if (!file.isEmpty() && !loadDocument(file)) return false;
    resize(OpeningSize(*this, m_scroll, NativeFormSize()));
    show();
    KeepOnScreen(*this);
    fitStatusPanes();
    // Paint the window before the connection attempt may keep us busy.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    m_view->OnInitialUpdate();
    return true;
}

QString CMainFrame::documentTitle() const {
    const std::string title = m_session->title();
    return title.empty() ? tr("無題") : FromPath(title);
}

void CMainFrame::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange) {
        retranslateUi();
        fitStatusPanes();
    }
    QMainWindow::changeEvent(event);
}

void CMainFrame::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    // The readout pane keeps to its half of the bar at any width.
    if (isVisible()) fitStatusPanes();
}

bool CMainFrame::event(QEvent* event) {
    // A menu's or a button's prompt covers the message pane only while the
    // pointer is on it: the last message, an error above all, comes back.
    if (event->type() == QEvent::StatusTip && static_cast<QStatusTipEvent*>(event)->tip().isEmpty() &&
        m_message) {
        statusBar()->showMessage(m_message());
        return true;
    }
    return QMainWindow::event(event);
}

void CMainFrame::updateTitle() {
    // The mark of unsaved records is the system's own, where the title shows it.
    setWindowTitle(QStringLiteral("Varnelo - ") + documentTitle() + QStringLiteral("[*]"));
    setWindowModified(m_session->changed());
}

void CMainFrame::updateState() {
    const FormFacts facts{m_view->state(), m_view->connected(), m_session->doc().recordCount() > 0};
    const CommandEnabling on = EnablingFor(facts);
    m_view->readButton()->setEnabled(on.read);
    m_view->csvButton()->setEnabled(on.exports);
    action(Command::Save)->setEnabled(on.save);
    action(Command::SaveAs)->setEnabled(on.saveAs);
    action(Command::EditHardware)->setEnabled(on.editHardware);
    m_stopButton->setVisible(on.stop);
    // What a stop keeps: an append keeps nothing of what it brought.
    m_stopButton->setToolTip(m_view->appending() ? tr("新しいレコードの読み出しを中止します (Esc)。何も追加しません。")
                                                 : tr("読み出しを中止します (Esc)。読み出し済みのレコードは残ります。"));
    m_stopKey->setEnabled(on.stop);
    m_refusedSave->setEnabled(!on.save);
    m_readNewAction->setEnabled(on.readNew);
    m_gisExport->setEnabled(on.exports);
    m_libraryExport->setEnabled(on.exports);
    m_netcdfExport->setEnabled(on.exports);
}

void CMainFrame::showStatus(const QString& text) {
    showWording(text.isEmpty() ? std::function<QString()>() : [text] { return text; });
}

void CMainFrame::showWording(const std::function<QString()>& wording) {
    m_message = wording;
    const QString text = wording ? wording() : QString();
    if (text.isEmpty()) {
        statusBar()->clearMessage();
        statusBar()->setToolTip(QString());
        return;
    }
    // A message longer than its pane is cut by the bar, and whole in its tooltip.
    statusBar()->showMessage(text);
}

void CMainFrame::showDownloadProgress(int done, int total) {
    // The progress bar and the stop control take the readout pane's room
    // while records arrive: no record is drawn then anyway.
    if (total < 0) {
        m_progress->hide();
        m_readout->show();
        fitStatusPanes();
        return;
    }
    const bool shown = m_progress->isVisible();
    m_readout->hide();
    m_progress->setRange(0, std::max(total, 1));
    m_progress->setValue(done);
    m_progress->show();
    if (!shown) fitStatusPanes();
}

void CMainFrame::showReadout(const QString& text) { m_readout->showPointer(text); }

void CMainFrame::fitStatusPanes() {
    QStatusBar* bar = statusBar();
    // Laid out again first, so that the panes shown or hidden just now count.
    bar->layout()->activate();
    int others = 0;
    for (QWidget* child : bar->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (child->isVisibleTo(this) && child != m_idleText && child != m_readout && child->x() > 0)
            others += child->width() + STATUS_PANE_GAP;
    }
    m_readout->setMaximumWidth(std::max(0, bar->width() / 2 - others - STATUS_PANE_GAP));
}

bool CMainFrame::readyToReplace(const char* why) {
    if (m_view->downloading()) {
        QMessageBox box(QMessageBox::Question, QCoreApplication::applicationName(),
                        tr("読み出し中です。読み出しを中止しますか?"), QMessageBox::Yes | QMessageBox::No, this);
        box.setInformativeText(m_view->appending() ? tr("新しいレコードは追加されません。")
                                                   : tr("読み出し済みのレコードは残ります。"));
        box.button(QMessageBox::Yes)->setText(tr("はい(&Y)"));
        box.button(QMessageBox::No)->setText(tr("いいえ(&N)"));
        box.setDefaultButton(QMessageBox::No);
        // The download goes on while the question is open.
        if (box.exec() != QMessageBox::Yes) return false;
        m_view->stopDownload([why] { return tr(why); });
    }
    return maybeSave();
}

void CMainFrame::OnStopDownload() { m_view->stopDownload({}); }

bool CMainFrame::maybeSave() {
    if (!m_session->changed()) return true;
    QMessageBox box(QMessageBox::Warning, QCoreApplication::applicationName(),
                    tr("%1 への変更を保存しますか?").arg(documentTitle()),
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, this);
    box.button(QMessageBox::Yes)->setText(tr("はい(&Y)"));
    box.button(QMessageBox::No)->setText(tr("いいえ(&N)"));
    box.button(QMessageBox::Cancel)->setText(tr("キャンセル"));
    box.setDefaultButton(QMessageBox::Yes);
    switch (box.exec()) {
        case QMessageBox::Yes: return OnFileSave();
        case QMessageBox::No: return true;
        default: return false;
    }
}

void CMainFrame::OnFileNew() {
    if (!readyToReplace(QT_TR_NOOP("新しいドキュメント"))) return;
    m_session->renew();
    updateTitle();
    m_view->OnInitialUpdate();
}

void CMainFrame::OnFileOpen() {
    if (!readyToReplace(QT_TR_NOOP("ファイルを開く"))) return;
    QFileDialog dialog(this, tr("開く"));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters({DATA_FILE_FILTER, tr("すべてのファイル (*.*)")});
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
    loadDocument(dialog.selectedFiles().front());
}

bool CMainFrame::openDocument(const QString& path) {
    if (!readyToReplace(QT_TR_NOOP("ファイルを開く"))) return false;
    return loadDocument(path);
}

void CMainFrame::showFileProblem(const Status& error, const QString& path) {
    // The box says what failed, as it always has; the status bar says why,
    // in the window's language.
    showWording([error, shown = QDir::toNativeSeparators(path)] {
        return tr("%1: %2").arg(shown, FileMessages::reason(error));
    });
    ShowFileProblem(this, FileProblemText(error.kind), path);
}

bool CMainFrame::loadDocument(const QString& path) {
    const int countBefore = m_session->doc().recordCount();
    // A FIFO would hold the window until some writer came: refused instead.
    if (const Status opened = m_session->open(ToPath(path), Streams::Refuse); !opened) {
        showFileProblem(opened, path);
        // A read that failed half way has emptied the document: the form follows it.
        if (m_session->doc().recordCount() != countBefore && isVisible()) m_view->OnInitialUpdate();
        return false;
    }
    rememberFile(path);
    updateTitle();
    if (isVisible()) m_view->OnInitialUpdate();
    return true;
}

bool CMainFrame::OnFileSave() {
    if (m_view->downloading()) return false;
    if (m_session->path().empty()) return OnFileSaveAs();
    return saveDocument(FromPath(m_session->path()));
}

bool CMainFrame::OnFileSaveAs() {
    if (m_view->downloading()) return false;
    QFileDialog dialog(this, tr("名前を付けて保存"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters({DATA_FILE_FILTER, tr("すべてのファイル (*.*)")});
    dialog.setDefaultSuffix(DATA_FILE_SUFFIX);
    if (!m_session->path().empty()) dialog.selectFile(FromPath(m_session->path()));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
    return saveDocument(dialog.selectedFiles().front());
}

bool CMainFrame::saveDocument(const QString& path) {
    showStatus(QString());  // what the pane said before is not this save's
    // Records another program appended since the file was opened are not
    // written over unasked.
    if (ToPath(path) == m_session->path() && m_session->changedOnDisk()) {
        QMessageBox box(QMessageBox::Warning, QCoreApplication::applicationName(),
                        tr("%1 は開いた後に別のプログラムで変更されています。").arg(documentTitle()),
                        QMessageBox::Yes | QMessageBox::Cancel, this);
        // The question on a line of its own: the box never wraps it mid-word.
        box.setInformativeText(tr("置き換えますか?"));
        box.button(QMessageBox::Yes)->setText(tr("置き換える(&R)"));
        box.button(QMessageBox::Cancel)->setText(tr("キャンセル"));
        box.setDefaultButton(QMessageBox::Cancel);
        if (box.exec() != QMessageBox::Yes) return false;
    }
    if (const Status saved = m_session->save(ToPath(path)); !saved) {
        showFileProblem(saved, path);
        return false;
    }
    rememberFile(path);
    updateTitle();
    showWording([name = documentTitle()] { return tr("%1 を保存しました").arg(name); });
    return true;
}

void CMainFrame::rememberFile(const QString& path) {
    m_recentFiles = PushRecentFile(m_recentFiles, path);
    SaveRecentFiles(m_recentFiles);
    updateRecentFileMenu();
}

void CMainFrame::updateRecentFileMenu() {
    for (QAction* a : m_recentActions) {
        m_fileMenu->removeAction(a);
        a->deleteLater();
    }
    m_recentActions.clear();
    m_recentPlaceholder->setVisible(m_recentFiles.isEmpty());
    for (int i = 0; i < m_recentFiles.size(); ++i) {
        const QString path = m_recentFiles[i];
        auto* a = new QAction(QStringLiteral("&%1 %2").arg(i + 1).arg(QDir::toNativeSeparators(path)), this);
        a->setStatusTip(tr("指定のファイルを開く"));
        connect(a, &QAction::triggered, this, [this, path] { openRecentFile(path); });
        m_fileMenu->insertAction(m_recentSeparator, a);
        m_recentActions << a;
    }
}

void CMainFrame::openRecentFile(const QString& path) {
    if (!readyToReplace(QT_TR_NOOP("ファイルを開く")) || loadDocument(path)) return;
    // An entry that cannot be opened leaves the list, as the framework's does.
    m_recentFiles.removeAll(path);
    SaveRecentFiles(m_recentFiles);
    updateRecentFileMenu();
}

void CMainFrame::OnAppAbout() {
    CAboutDlg dialog(this);
    dialog.exec();
}

void CMainFrame::OnEditHardware() {
    const LoggerState* logger = m_view->loggerState();
    if (logger == nullptr) return;
    // The logger's own blocks, whatever file the document came from.
    CSettingDlg dialog(logger->deviceInfo, logger->parameters, m_logger.get(), logger->deviceInfoRead, this);
    dialog.exec();
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    if (readyToReplace(QT_TR_NOOP("終了"))) {
        // A connection under way ends with the window, not seconds after it.
        m_view->stopDownload({});
        event->accept();
    } else {
        event->ignore();
    }
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event) {
    const QList<QUrl> urls = event->mimeData()->urls();
    if (!urls.isEmpty() && urls.front().isLocalFile()) event->acceptProposedAction();
}

void CMainFrame::dropEvent(QDropEvent* event) {
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.isEmpty() || !urls.front().isLocalFile()) return;
    event->acceptProposedAction();
    openDocument(LocalFileOfUrl(urls.front()));
}

}  // namespace varnelo
