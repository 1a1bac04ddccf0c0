#include "app/varnelo_view.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QFileDialog>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QSignalBlocker>

#include "app/chart_frame.h"
#include "app/form_style.h"
#include "charts/spectrum_chart.h"
#include "charts/track_chart.h"
#include "text/number_text.h"

namespace varnelo {

namespace {

const QString PROFILE_LIMIT = QStringLiteral("wave/limit");

QSize ToQSize(PixelSize size) { return QSize(size.width, size.height); }

}  // namespace

CVarneloView::CVarneloView(Session& session, const LoggerChoice& logger, QWidget* parent)
    : QWidget(parent), m_session(session), m_logger(logger) {
    m_limitRange = QSettings().value(PROFILE_LIMIT, 0).toInt();
    for (QTimer* timer : {&m_emptyChartsTimer, &m_downloadTimer, &m_showRecordsTimer}) timer->setSingleShot(true);
    // Fifteen thousand 10 ms waits: a coarse timer's slack would add minutes.
    m_downloadTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_emptyChartsTimer, &QTimer::timeout, this, &CVarneloView::OnTimerEmptyCharts);
    connect(&m_downloadTimer, &QTimer::timeout, this, &CVarneloView::OnTimerDownload);
    connect(&m_showRecordsTimer, &QTimer::timeout, this, &CVarneloView::OnTimerShowRecords);
    buildControls();
}

CVarneloView::~CVarneloView() { QSettings().setValue(PROFILE_LIMIT, m_limitRange); }

void CVarneloView::buildControls() {
    setFont(FormFont());
    setFixedSize(DialogRect(0, 0, 486, 327).size());

    const auto label = [this](const QString& text, QRect where) {
        auto* l = new QLabel(text, this);
        l->setGeometry(where);
        l->setTextFormat(Qt::PlainText);
        return l;
    };
    label(tr("バルネロツール"), DialogRect(14, 10, 89, 8));
    m_identity = label(QStringLiteral("---------------"), DialogRect(139, 10, 111, 8));
    m_counter = label(QStringLiteral("-----/-----"), DialogRect(347, 44, 45, 8));

    m_spectrumFrame = new ChartFrame(ToQSize(SpectrumFrameSize()), this);
    m_spectrumFrame->move(DialogRect(SPECTRUM_FRAME_UNITS).topLeft());
    m_trackFrame = new ChartFrame(ToQSize(TrackFrameSize()), this);
    m_trackFrame->move(DialogRect(TRACK_FRAME_UNITS).topLeft());
    connect(m_spectrumFrame, &ChartFrame::pointerMoved, this, &CVarneloView::showReadout);
    connect(m_spectrumFrame, &ChartFrame::pointerLeft, this, [this] { emit statusMessage(QString()); });

    m_list = new QListWidget(this);
    m_list->setGeometry(DialogRect(346, 58, 133, 150));
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setSortingEnabled(false);
    m_list->setUniformItemSizes(true);  // one label per record: fast with 15000 lines
    connect(m_list, &QListWidget::currentRowChanged, this, &CVarneloView::OnSelectRecord);

    m_readButton = new QPushButton(tr("読み出し"), this);
    m_readButton->setGeometry(DialogRect(346, 22, 45, 17));
    m_readButton->setEnabled(false);
    connect(m_readButton, &QPushButton::clicked, this, &CVarneloView::OnReadButton);
    m_csvButton = new QPushButton(tr("CSV保存"), this);
    m_csvButton->setGeometry(DialogRect(398, 22, 81, 17));
    connect(m_csvButton, &QPushButton::clicked, this, &CVarneloView::OnSaveCsv);

    // Each radio is a group of its own: they do not clear each other, the
    // handlers set both marks.
    m_twoChannel = new QRadioButton(QStringLiteral("2ch"), this);
    m_twoChannel->setGeometry(DialogRect(405, 43, 28, 10));
    m_reflectance = new QRadioButton(tr("反射"), this);
    m_reflectance->setGeometry(DialogRect(438, 43, 32, 10));
    for (QRadioButton* radio : {m_twoChannel, m_reflectance}) radio->setAutoExclusive(false);
    connect(m_twoChannel, &QRadioButton::clicked, this, &CVarneloView::OnModeTwoChannel);
    connect(m_reflectance, &QRadioButton::clicked, this, &CVarneloView::OnModeReflectance);

    m_limitBox = new QCheckBox(tr("400-800nmに限定"), this);
    m_limitBox->setGeometry(DialogRect(269, 9, 76, 10));
    connect(m_limitBox, &QCheckBox::clicked, this, &CVarneloView::OnLimitRange);
}

void CVarneloView::OnInitialUpdate() {
    m_exportMode = ExportMode::TwoChannel;
    m_twoChannel->setChecked(true);
    m_reflectance->setChecked(m_exportMode == ExportMode::Reflectance);
    if (m_firstUpdate) {
        connectToLogger();
        m_firstUpdate = false;
    }
    m_readButton->setEnabled(connected());
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
}

void CVarneloView::connectToLogger() {
    ConnectOutcome outcome = ConnectAsChosen(m_logger, m_session.doc());
    if (!outcome.connection) {
        const QString detail = QString::fromStdString(outcome.error);
        emit statusMessage(outcome.failure == ConnectOutcome::Failure::NoLogger
                               ? tr("ロガーが見つかりません: %1").arg(detail)
                               : tr("ロガーのポートを開けません: %1").arg(detail));
        return;
    }
    m_connection = std::move(outcome.connection);
    const LoggerState& state = m_connection->state;
    m_identity->setText(QString::fromLocal8Bit(state.identityLabel));
    m_identity->setToolTip(m_identity->text());  // the label is narrower than most identities
    m_counter->setText(QString::fromStdString(state.countLabel));
    m_deviceRecordCount = state.recordCount;
    if (!state.failures.empty()) {
        emit statusMessage(tr("ロガーが応答しません: %1").arg(QString::fromStdString(state.failures.front())));
    } else if (state.reportedCount != state.recordCount) {
        emit statusMessage(tr("ロガーは %1 件と報告しています。%2 件を読み出します。")
                               .arg(state.reportedCount)
                               .arg(state.recordCount));
    }
}

void CVarneloView::OnReadButton() {
    if (!m_connection) return;
    if (!m_download) m_download = std::make_unique<RecordDownload>(*m_connection->link, m_session.doc());
    m_list->clear();
    m_downloadTimer.start(m_download->start(m_deviceRecordCount));
    emit downloadProgress(0, m_download->total());
}

void CVarneloView::stopDownload(const QString& why) {
    if (!downloading()) return;
    m_downloadTimer.stop();
    const int done = m_download->nextRecord();
    m_download->cancel();
    if (m_session.doc().recordCount() > 0) {
        m_session.markChanged();
        emit documentChanged();
    }
    emit downloadProgress(0, -1);
    emit statusMessage(tr("読み出しを中止しました (%1 件読み出し済み): %2").arg(done).arg(why));
}

void CVarneloView::OnTimerDownload() {
    if (!m_download) return;
    const DownloadStep step = m_download->step();
    switch (step.kind) {
        case DownloadStep::Kind::Ignored: return;
        case DownloadStep::Kind::Fetched:
            m_list->addItem(QString::fromStdString(step.label));
            emit downloadProgress(step.done, step.total);
            m_downloadTimer.start(*step.rearm);
            return;
        case DownloadStep::Kind::Completed:
            emit downloadProgress(step.total, -1);
            emit statusMessage(tr("%1 件のレコードを読み出しました").arg(step.total));
            break;
        case DownloadStep::Kind::Stopped:
            emit downloadProgress(step.done, -1);
            emit statusMessage(tr("レコード %1 で読み出しが止まりました (%2 件を読み出し済み): %3")
                                   .arg(step.record)
                                   .arg(step.done)
                                   .arg(QString::fromStdString(step.failure)));
            break;
    }
    if (m_session.doc().recordCount() > 0) {
        m_session.markChanged();
        emit documentChanged();
        ShowFirstRecord();
    } else {
        // No record arrived: nothing to show but the empty charts, rather
        // than whatever an earlier document left in the first block.
        m_session.computeTrack();
        OnTimerEmptyCharts();
    }
    m_list->setFocus();
}

void CVarneloView::OnTimerEmptyCharts() {
    m_emptyChartsTimer.stop();
    m_drawnRecord = -1;
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
    // An opened file brought its track along; a download's records need theirs.
    if (!m_session.trackCurrent()) m_session.computeTrack();
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
    const QImage& image = m_spectrumFrame->image();
    const int j = SpectrumElementAt(Rect{0, 0, image.width(), image.height()}, position.x(), m_drawnLimit);
    if (j < 0) {
        emit statusMessage(QString());
        return;
    }
    const DerivedSpectra spectra = DeriveSpectra(m_session.doc().record(m_drawnRecord));
    const auto at = static_cast<std::size_t>(j);
    emit statusMessage(tr("%1 nm   ch.1 %2   ch.2 %3   反射 %4")
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
    QFileDialog dialog(this);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(QStringLiteral("csv file(*.csv)"));
    dialog.setDefaultSuffix(QStringLiteral("csv"));
    dialog.selectFile(QStringLiteral("*.csv"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
    exportTo(dialog.selectedFiles().front());
}

void CVarneloView::exportTo(const QString& path) {
    // The export reads the records while its progress dialog lets events
    // through: a download tick meanwhile would overwrite records under it.
    const bool resumeDownload = m_downloadTimer.isActive();
    m_downloadTimer.stop();

    const int count = m_session.doc().recordCount();
    QProgressDialog progress(tr("CSV ファイルに書き出しています..."), tr("キャンセル"), 0, count, this);
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(500);
    const CsvOptions options{m_exportMode, m_limitRange != 0};
    const ExportResult result = m_session.exportCsv(path.toStdString(), options, [&progress](int written, int) {
        progress.setValue(written);
        QCoreApplication::processEvents();
        return !progress.wasCanceled();
    });
    progress.reset();
    if (resumeDownload) m_downloadTimer.start(DOWNLOAD_STEP_DELAY);

    switch (result.status) {
        case ExportStatus::Written: emit statusMessage(tr("%1 件を CSV に書き出しました: %2").arg(count).arg(path)); break;
        case ExportStatus::Cancelled: emit statusMessage(tr("CSV の書き出しを取り消しました")); break;
        case ExportStatus::Failed:
            QMessageBox::warning(this, QCoreApplication::applicationName(),
                                 tr("CSV ファイルを書き出せませんでした。\n%1\n\n%2")
                                     .arg(path, QString::fromStdString(result.error)));
            break;
    }
}

}  // namespace varnelo
