#include "app/varnelo_view.h"

#include <QCheckBox>
#include <QEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QSignalBlocker>

#include "app/chart_frame.h"
#include "app/export_dialogs.h"
#include "app/file_messages.h"
#include "app/form_geometry.h"
#include "app/form_style.h"
#include "app/logger_messages.h"
#include "charts/spectrum_chart.h"
#include "charts/track_chart.h"
#include "launch/path_text.h"
#include "text/number_text.h"

namespace varnelo {

namespace {

const QString PROFILE_LIMIT = QStringLiteral("wave/limit");
const QString NO_IDENTITY = QStringLiteral("---------------");
const QString NO_COUNT = QStringLiteral("-----/-----");

QSize ToQSize(PixelSize size) { return QSize(size.width, size.height); }

}  // namespace

CVarneloView::CVarneloView(Session& session, LoggerThread& logger, QWidget* parent)
    : QWidget(parent), m_session(session), m_logger(logger), m_feed(session) {
    m_limitRange = QSettings().value(PROFILE_LIMIT, 0).toInt();
    for (QTimer* timer : {&m_emptyChartsTimer, &m_showRecordsTimer}) timer->setSingleShot(true);
    connect(&m_emptyChartsTimer, &QTimer::timeout, this, &CVarneloView::OnTimerEmptyCharts);
    connect(&m_showRecordsTimer, &QTimer::timeout, this, &CVarneloView::OnTimerShowRecords);
    connect(&m_logger, &LoggerThread::connectionMade, this, &CVarneloView::onConnectionMade);
    connect(&m_logger, &LoggerThread::jobStarted, this, &CVarneloView::onJobStarted);
    connect(&m_logger, &LoggerThread::stepped, this, &CVarneloView::onStepped);
    buildControls();
}

CVarneloView::~CVarneloView() { QSettings().setValue(PROFILE_LIMIT, m_limitRange); }

void CVarneloView::buildControls() {
    setFont(FormFont());
    // The form's own size is its least: a smaller window scrolls it, a
    // larger one gives the charts and the list more room (resizeEvent).
    setMinimumSize(NativeFormSize());
    resize(NativeFormSize());

    const auto label = [this](const QString& text) {
        auto* l = new QLabel(text, this);
        l->setTextFormat(Qt::PlainText);
        return l;
    };
    m_title = label(QString());
    m_identity = label(NO_IDENTITY);
    m_counter = label(NO_COUNT);

    m_spectrumFrame = new ChartFrame(ToQSize(SpectrumFrameSize()), this);
    m_trackFrame = new ChartFrame(ToQSize(TrackFrameSize()), this);
    connect(m_spectrumFrame, &ChartFrame::pointerMoved, this, &CVarneloView::showReadout);
    connect(m_spectrumFrame, &ChartFrame::pointerLeft, this, [this] { emit readoutMessage(QString()); });
    // A frame made larger shows what it showed, drawn for its new size.
    connect(m_spectrumFrame, &ChartFrame::resized, this, &CVarneloView::redrawSpectrumFrame);
    connect(m_trackFrame, &ChartFrame::resized, this, &CVarneloView::redrawTrackFrame);

    m_list = new QListWidget(this);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setSortingEnabled(false);
    m_list->setUniformItemSizes(true);  // one label per record: fast with 15000 lines
    connect(m_list, &QListWidget::currentRowChanged, this, &CVarneloView::OnSelectRecord);

    m_readButton = new QPushButton(this);
    // Connected first: the pane is empty before the job says anything.
    connect(m_readButton, &QPushButton::clicked, this, &CVarneloView::jobStarting);
    connect(m_readButton, &QPushButton::clicked, this, &CVarneloView::OnReadButton);
    m_csvButton = new QPushButton(this);
    connect(m_csvButton, &QPushButton::clicked, this, &CVarneloView::OnSaveCsv);

    // Each radio is a group of its own: they do not clear each other, the
    // handlers set both marks.
    m_twoChannel = new QRadioButton(QStringLiteral("2ch"), this);
    m_reflectance = new QRadioButton(this);
    for (QRadioButton* radio : {m_twoChannel, m_reflectance}) radio->setAutoExclusive(false);
    connect(m_twoChannel, &QRadioButton::clicked, this, &CVarneloView::OnModeTwoChannel);
    connect(m_reflectance, &QRadioButton::clicked, this, &CVarneloView::OnModeReflectance);

    m_limitBox = new QCheckBox(this);
    connect(m_limitBox, &QCheckBox::clicked, this, &CVarneloView::OnLimitRange);
    layOutControls();
    retranslateUi();
}

void CVarneloView::layOutControls() {
    PlaceFormWidgets({m_title, m_identity, m_limitBox, m_readButton, m_csvButton, m_counter, m_twoChannel, m_reflectance,
                      m_list, m_spectrumFrame, m_trackFrame},
                     size());
    // A wider label shows more of the identity; its tip holds what is still cut.
    SetElidedText(m_identity, m_identity->toolTip().isEmpty() ? m_identity->text() : m_identity->toolTip());
}

void CVarneloView::resizeEvent(QResizeEvent* event) {
    layOutControls();
    QWidget::resizeEvent(event);
}

void CVarneloView::redrawSpectrumFrame() {
    if (m_drawnRecord >= 0 && m_drawnRecord < m_session.doc().recordCount()) drawSpectrum(m_drawnRecord);
    else if (m_drawnRecord < 0 && m_chartsDrawn) m_spectrumFrame->draw([](Canvas& canvas) { DrawSpectrumAxes(canvas); });
}

void CVarneloView::redrawTrackFrame() {
    if (m_drawnRecord >= 0 && m_drawnRecord < m_session.doc().recordCount()) drawTrack(m_drawnRecord);
    else if (m_drawnRecord < 0 && m_chartsDrawn) m_trackFrame->draw([](Canvas& canvas) { DrawTrackFrame(canvas); });
}

void CVarneloView::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange) retranslateUi();
    QWidget::changeEvent(event);
}

void CVarneloView::retranslateUi() {
    m_title->setText(tr("バルネロツール"));
    m_readButton->setText(tr("読み出し"));
    m_csvButton->setText(tr("CSV保存"));
    m_reflectance->setText(tr("反射"));
    m_limitBox->setText(tr("400-800nmに限定"));
    if (m_countUnread) showCount(QString(), true);
}

void CVarneloView::showCount(const QString& label, bool unread) {
    m_countUnread = unread;
    // "0" would say the logger is empty when nobody knows. The counter's
    // place holds a short word; its tip says what happened.
    SetElidedText(m_counter, unread ? tr("件数不明") : label);
    if (unread) m_counter->setToolTip(tr("件数を読めません"));
}

void CVarneloView::OnInitialUpdate() {
    m_exportMode = ExportMode::TwoChannel;
    m_twoChannel->setChecked(true);
    m_reflectance->setChecked(m_exportMode == ExportMode::Reflectance);
    if (m_firstUpdate) {
        // The window is there at once; what the logger says comes when it does.
        beginConnecting(LoggerJob::None);
        m_logger.connectLogger(true);
        m_firstUpdate = false;
    }
    m_limitBox->setChecked(m_limitRange != 0);

    m_list->clear();
    const CVarneloDoc& doc = m_session.doc();
    const int count = doc.recordCount();
    if (count != 0) {
        QStringList labels;
        labels.reserve(count);
        for (int i = 0; i < count; ++i) labels << QString::fromStdString(RecordTimeLabel(doc.record(i)));
        m_list->addItems(labels);
        m_showRecordsTimer.start(TIMER_SHOW_RECORDS_PERIOD);
    } else {
        m_emptyChartsTimer.start(TIMER_EMPTY_CHARTS_PERIOD);
    }
    emit stateChanged();
}

void CVarneloView::showConnection(const Status& report) {
    // Each connection is shown once; a failure every time.
    if (report.ok() && m_shownConnection == m_logger.connections()) return;
    m_shownConnection = m_logger.connections();
    const LoggerState* state = m_logger.state();
    if (state == nullptr) {
        SetElidedText(m_identity, NO_IDENTITY);
        showCount(NO_COUNT, false);
        emit statusWording([report] { return LoggerMessages::connection(report, nullptr); });
        emit stateChanged();
        return;
    }
    SetElidedText(m_identity, QString::fromLocal8Bit(state->identityLabel));
    showCount(QString::fromStdString(state->countLabel), !state->countRead);
    if (!state->failures.empty()) {
        emit statusWording([report, state = *state] { return LoggerMessages::connection(report, &state); });
    } else if (state->reportedCount != state->recordCount) {
        emit statusWording([reported = state->reportedCount, count = state->recordCount] {
            return tr("ロガーは %1 件と報告しています。%2 件を読み出します。").arg(reported).arg(count);
        });
    }
    emit stateChanged();
}

void CVarneloView::setState(FormState state) {
    if (m_state == state) return;
    m_state = state;
    emit stateChanged();
}

void CVarneloView::beginConnecting(LoggerJob job) {
    m_pending = job;
    setState(FormState::Connecting);
    emit statusWording([] { return tr("ロガーに接続しています…"); });
}

void CVarneloView::endConnecting() {
    m_pending = LoggerJob::None;
    setState(FormState::Idle);
    emit statusWording({});
}

void CVarneloView::OnReadButton() {
    if (busy()) return;
    // Connecting touches nothing of the document: when no logger answers,
    // the records on screen stay as they are, and nothing is asked.
    beginConnecting(LoggerJob::Download);
    m_logger.connectLogger(false);
}

void CVarneloView::OnReadNewButton() {
    if (busy() || m_session.doc().recordCount() == 0) return;
    beginConnecting(LoggerJob::Append);
    m_feed.begin(LoggerJob::Append, m_session.doc().recordCount(), false);
    m_logger.startAppend(AppendBaseOf(m_session.doc()));
}

void CVarneloView::onConnectionMade(const Status& report) {
    const bool first = m_firstConnection;
    m_firstConnection = false;
    // A data file named on the command line keeps its own blocks; only a
    // new document takes the logger's.
    if (first && m_logger.state() && m_session.path().empty())
        AdoptLoggerBlocks(*m_logger.state(), m_session.doc());
    const bool download = m_pending == LoggerJob::Download && report.ok();
    // A download to follow keeps the stop control up: no idle moment between.
    if (!download) endConnecting();
    showConnection(report);
    if (!download) return;
    if (m_downloadGate && !m_downloadGate()) return endConnecting();
    m_feed.begin(LoggerJob::Download, 0, true);
    m_logger.startDownload();
}

void CVarneloView::onJobStarted(const JobStart& start) {
    if (!start.delay) {
        m_feed.stop();
        endConnecting();
        if (start.refused.kind == SessionStep::Kind::NotConnected) showConnection(start.refused.connect);
        else showEnd(start.refused);
        return;
    }
    emit statusWording({});
    showConnection({});
    setState(FormState::Downloading);
    const LoggerState* state = m_logger.state();
    emit downloadProgress(0, m_pending == LoggerJob::Download && state ? state->recordCount : 0);
}

bool CVarneloView::stopDownload(const std::function<QString()>& why) {
    if (!busy()) return false;
    m_logger.stop();
    SessionStep step;
    step.kind = SessionStep::Kind::Stopped;
    step.cancelled = true;
    step.job = m_pending;
    step.done = m_feed.applied();
    step.kept = m_feed.stop();
    const bool connecting = m_state == FormState::Connecting;
    m_pending = LoggerJob::None;
    if (connecting) {
        setState(FormState::Idle);
        emit statusWording([why] {
            const QString stopped = tr("ロガーへの接続を中止しました");
            return why ? stopped + QStringLiteral(": ") + why() : stopped;
        });
        emit downloadProgress(0, -1);
        return true;
    }
    emit statusWording([job = step.job, kept = step.kept, why]() -> QString {
        const QString stopped = job == LoggerJob::Append
                                    ? (kept > 0 ? tr("新しいレコードの読み出しを中止しました (%1 件を追加)").arg(kept)
                                                : tr("新しいレコードの読み出しを中止しました。何も追加していません"))
                                    : tr("読み出しを中止しました (%1 件読み出し済み)").arg(kept);
        return why ? stopped + QStringLiteral(": ") + why() : stopped;
    });
    showEnd(step);
    return true;
}

void CVarneloView::onStepped(const SessionStep& step) {
    if (!downloading()) return;
    m_feed.apply(step, m_logger.state());
    showConnection({});
    switch (step.kind) {
        case SessionStep::Kind::Idle: return;
        case SessionStep::Kind::Exchanged:
            // The count read again for an append shows in the counter.
            if (const LoggerState* state = m_logger.state(); state && state->countRead)
                showCount(QString::fromStdString(state->countLabel), false);
            emit downloadProgress(step.done, step.total);
            return;
        case SessionStep::Kind::Record:
            if (step.first && step.job == LoggerJob::Download) {
                // Only now does the download replace what was shown.
                m_list->clear();
                emit documentChanged();
            }
            m_list->addItem(QString::fromStdString(step.label));
            emit downloadProgress(step.done, step.total);
            return;
        case SessionStep::Kind::Completed:
            if (step.job == LoggerJob::Append) {
                emit statusWording([total = step.total, all = m_session.doc().recordCount()] {
                    return tr("新しいレコードを %1 件読み出しました (全 %2 件)").arg(total).arg(all);
                });
            } else if (step.total == 0) {
                emit statusWording([] { return tr("ロガーにレコードがありません。ドキュメントはそのままです"); });
            } else {
                emit statusWording([total = step.total] { return tr("%1 件のレコードを読み出しました").arg(total); });
            }
            break;
        case SessionStep::Kind::Stopped:
            if (step.job == LoggerJob::Append) {
                emit statusWording([step] {
                    // The count read again, or record k-1 of the check, or a new one.
                    const QString where = step.record < 0 ? tr("レコード数の読み出しで止まりました")
                                          : step.atCheck  ? tr("レコード %1 の照合で止まりました").arg(step.record)
                                                          : tr("レコード %1 で読み出しが止まりました").arg(step.record);
                    return tr("%1。何も追加していません: %2").arg(where, LoggerMessages::stopCause(step));
                });
            } else {
                emit statusWording([step] {
                    return tr("レコード %1 で読み出しが止まりました (%2 件を読み出し済み): %3")
                        .arg(step.record)
                        .arg(step.kept)
                        .arg(LoggerMessages::stopCause(step));
                });
            }
            break;
        case SessionStep::Kind::Refused:
        case SessionStep::Kind::NotConnected: break;
    }
    showEnd(step);
    m_list->setFocus();
}

void CVarneloView::showEnd(const SessionStep& step) {
    m_pending = LoggerJob::None;
    setState(FormState::Idle);
    emit downloadProgress(step.done, -1);
    if (step.kind == SessionStep::Kind::NotConnected) showConnection(step.connect);
    if (step.kind == SessionStep::Kind::Refused) {
        const int loggerCount = m_logger.state() ? m_logger.state()->recordCount : 0;
        emit statusWording([refusal = step.refusal, record = step.record, loggerCount,
                            documentCount = m_session.doc().recordCount()]() -> QString {
            const QString fullDownload = tr("「読み出し」で全件を読み出し、新しいファイルに保存してください。");
            switch (refusal) {
                case AppendRefusal::None:
                case AppendRefusal::NoNewRecords: return tr("新しいレコードはありません");
                case AppendRefusal::NoRecords: return tr("照合するレコードがありません。") + fullDownload;
                case AppendRefusal::LoggerHoldsFewer:
                    return tr("ロガーのレコード (%1 件) がドキュメント (%2 件) より少ないため追加しません"
                              "(ロガーのメモリが消去されています)。")
                               .arg(loggerCount)
                               .arg(documentCount) +
                           fullDownload;
                case AppendRefusal::RecordDiffers:
                    return tr("ロガーのレコード %1 がドキュメントと異なるため追加しません"
                              "(別のロガーか、消去後に記録し直したメモリです)。")
                               .arg(record) +
                           fullDownload;
            }
            return {};
        });
    }
    dropUnkeptLines();
    // Whatever the job kept is drawn; a job that brought nothing left the
    // document and its charts as they were.
    if (m_list->count() > 0 && (step.kind == SessionStep::Kind::Completed || step.kept > 0)) {
        emit documentChanged();
        ShowFirstRecord();
    }
}

void CVarneloView::dropUnkeptLines() {
    // Records that came but were not kept (an append that stopped) leave the list again.
    while (m_list->count() > m_session.doc().recordCount()) delete m_list->takeItem(m_list->count() - 1);
}

void CVarneloView::OnTimerEmptyCharts() {
    m_emptyChartsTimer.stop();
    m_drawnRecord = -1;
    m_chartsDrawn = true;
    m_spectrumFrame->draw([](Canvas& canvas) { DrawSpectrumAxes(canvas); });
    m_trackFrame->draw([](Canvas& canvas) { DrawTrackFrame(canvas); });
    emit recordDrawn(-1);
}

void CVarneloView::OnTimerShowRecords() {
    m_showRecordsTimer.stop();
    ShowFirstRecord();
}

void CVarneloView::ShowFirstRecord() {
    drawSpectrum(0);
    {
        // A selection made here is not the user's: it draws nothing of its own.
        const QSignalBlocker quiet(m_list);
        if (m_list->count() > 0) m_list->setCurrentRow(0);
    }
    drawTrack(0);
}

void CVarneloView::OnSelectRecord() {
    const int k = m_list->currentRow();
    if (k < 0) return;
    drawSpectrum(k);
    drawTrack(k);
}

void CVarneloView::drawSpectrum(int record) {
    const bool limit = m_limitRange != 0;
    const MeasurementRecord& r = m_session.doc().record(record);
    m_spectrumFrame->draw([&](Canvas& canvas) { DrawSpectrumChart(canvas, r, limit); });
    m_drawnRecord = record;
    m_drawnLimit = limit;
}

void CVarneloView::drawTrack(int record) {
    const TrackChartData data = TrackChartDataOf(m_session.track(), m_session.trackCount());
    m_trackFrame->draw([&](Canvas& canvas) {
        if (m_trackDrawing) m_trackDrawing(canvas, data, record);
        else DrawTrackChart(canvas, data, record);
    });
    emit recordDrawn(record);
}

void CVarneloView::redrawTrack() {
    if (m_drawnRecord >= 0) drawTrack(m_drawnRecord);
}

void CVarneloView::showReadout(QPoint position) {
    if (m_drawnRecord < 0) return;
    const int j = SpectrumElementAt(m_spectrumFrame->clientRect(), m_spectrumFrame->chartPoint(position).x, m_drawnLimit);
    if (j < 0) {
        emit readoutMessage(QString());
        return;
    }
    const DerivedSpectra spectra = DeriveSpectra(m_session.doc().record(m_drawnRecord));
    const auto at = static_cast<std::size_t>(j);
    emit readoutMessage(tr("%1 nm   ch.1 %2   ch.2 %3   反射 %4")
                           .arg(WavelengthOfElement(j))
                           .arg(QString::fromStdString(FixedText(spectra.ch1_scaled[at], 0, 1)),
                                QString::fromStdString(FixedText(spectra.ch2[at], 0, 1)),
                                QString::fromStdString(FixedText(spectra.reflectance[at], 0, 3))));
}

void CVarneloView::OnModeTwoChannel() {
    m_exportMode = ExportMode::TwoChannel;
    m_twoChannel->setChecked(true);
    m_reflectance->setChecked(false);
}

void CVarneloView::OnModeReflectance() {
    m_exportMode = ExportMode::Reflectance;
    m_twoChannel->setChecked(false);
    m_reflectance->setChecked(true);
}

void CVarneloView::OnLimitRange() { m_limitRange = m_limitBox->isChecked() ? 1 : 0; }

void CVarneloView::OnSaveCsv() {
    if (downloading()) return;  // the records are still arriving
    const auto path = AskExportFile(this, QString(), QStringLiteral("csv file(*.csv)"), QStringLiteral("csv"),
                                    m_session.path());
    if (path) exportTo(*path);
}

void CVarneloView::exportTo(const QString& path) {
    emit statusWording({});  // what the pane said before is not this export's
    const int count = m_session.doc().recordCount();
    const CsvOptions options{m_exportMode, m_limitRange != 0};
    const ExportResult result = WriteWithProgress(
        this, tr("CSV ファイルに書き出しています..."), tr("キャンセル"), count,
        [&](const ExportProgress& progress) { return m_session.exportCsv(ToPath(path), options, progress); });

    if (result.status) {
        emit statusWording([count, path] { return tr("%1 件を CSV に書き出しました: %2").arg(count).arg(path); });
    } else if (result.status.cancelled()) {
        emit statusWording([] { return tr("CSV の書き出しを取り消しました"); });
    } else {
        emit statusWording(
            [path] { return tr("CSV ファイルを書き出せませんでした: %1").arg(FileMessages::exportReason(path)); });
        ShowFileProblem(this, tr("CSV ファイルを書き出せませんでした。"), path);
    }
}

}  // namespace varnelo
