#pragma once
// The main form: the connection label and record counter, the read and CSV
// buttons, the export options, the record list and the two chart frames.
// It asks the logger thread (whose session owns the port, the connection
// and the download) for each job, puts each record it brings into the
// document through a DocumentFeed, shows what each step says, and draws the charts at four moments only: the empty charts (timer 1), the
// first record of an opened document (timer 3), the end of a download and a
// change of the selected line. A download that ends early (stopped, or cut
// by a fault) draws what it kept, so nothing on screen describes records the
// document no longer holds. Which commands are offered is the frame's to
// decide, from state() (see form_state.h).

#include <QString>
#include <QTimer>
#include <QWidget>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>

#include "export/csv_export.h"
#include "app/logger_thread.h"
#include "session/document_feed.h"
#include "session/form_state.h"
#include "session/logger_session.h"
#include "session/session.h"

class QCheckBox;
class QLabel;
class QListWidget;
class QPushButton;
class QRadioButton;

namespace varnelo {

class Canvas;
class ChartFrame;
struct TrackChartData;

inline constexpr std::chrono::milliseconds TIMER_EMPTY_CHARTS_PERIOD{100};
inline constexpr std::chrono::milliseconds TIMER_SHOW_RECORDS_PERIOD{100};

class CVarneloView : public QWidget {
    Q_OBJECT
public:
    // The logger thread is the frame's; the view asks it for jobs and shows their steps.
    CVarneloView(Session& session, LoggerThread& logger, QWidget* parent);
    ~CVarneloView() override;  // keeps the 400-800 nm option in the profile

    // Run after the document was created or opened: the first time it makes
    // the start-up connection attempt; every time it lists the records.
    void OnInitialUpdate();

    FormState state() const { return m_state; }
    // A job is under way, or being connected for: the document may change.
    bool downloading() const {
        return m_state == FormState::Downloading || (m_state == FormState::Connecting && m_pending != LoggerJob::None);
    }
    // The logger is being connected to, or a job runs: the stop control ends either.
    bool busy() const { return m_state != FormState::Idle; }
    bool connected() const { return m_logger.connected(); }
    // What the connection learnt, with the logger's own blocks; null when
    // there is none. The settings dialog shows these, whatever file the
    // document came from.
    const LoggerState* loggerState() const { return m_logger.state(); }
    // Ends a connection or download that is under way, keeping what is
    // complete, with the reason (if any) in the status bar. False when none
    // was under way.
    bool stopDownload(const std::function<QString()>& why);
    // Asked before a full download replaces records no file has; false
    // keeps the document and starts nothing.
    void setDownloadGate(std::function<bool()> gate) { m_downloadGate = std::move(gate); }
    // Whether what is under way appends to the document rather than replacing it.
    bool appending() const { return m_pending == LoggerJob::Append; }

    ExportMode exportMode() const { return m_exportMode; }
    bool limitRange() const { return m_limitRange != 0; }

    // The widgets, for the frame's enabling and for tests.
    QListWidget* recordList() const { return m_list; }
    QPushButton* readButton() const { return m_readButton; }
    QPushButton* csvButton() const { return m_csvButton; }
    QRadioButton* twoChannelRadio() const { return m_twoChannel; }
    QRadioButton* reflectanceRadio() const { return m_reflectance; }
    QCheckBox* limitBox() const { return m_limitBox; }
    QLabel* identityLabel() const { return m_identity; }
    QLabel* counterLabel() const { return m_counter; }
    ChartFrame* spectrumFrame() const { return m_spectrumFrame; }
    ChartFrame* trackFrame() const { return m_trackFrame; }

    // What draws the track chart of a record; none: the plain chart.
    using TrackDrawing = std::function<void(Canvas&, const TrackChartData&, int record)>;
    void setTrackDrawing(TrackDrawing drawing) { m_trackDrawing = std::move(drawing); }

public slots:
    void OnReadButton();
    // Only the logger's records the document lacks, after its last one is checked.
    void OnReadNewButton();
    void OnSaveCsv();
    void OnModeTwoChannel();
    void OnModeReflectance();
    void OnLimitRange();
    void OnSelectRecord();
    // The track chart again, of the selected record, if one is drawn.
    void redrawTrack();

signals:
    // A message for the status bar: a fault, a result, or progress.
    void statusMessage(const QString& text);
    // The same, as words that can be said again in another language.
    void statusWording(const std::function<QString()>& wording);
    // The values under the pointer, for the readout pane; empty: none. They
    // never cover a message the user has yet to read.
    void readoutMessage(const QString& text);
    // Download progress; total < 0 once no download is under way.
    void downloadProgress(int done, int total);
    // The document now holds records no file has, or has become untitled.
    void documentChanged();
    // Downloading began or ended, or the logger came or went.
    void stateChanged();
    // Record `record` was drawn; -1: the empty charts.
    void recordDrawn(int record);
    // A download or an append is about to start: the last message is no longer news.
    void jobStarting();

protected:
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void buildControls();
    // Every control where the form's layout puts it for the view's size.
    void layOutControls();
    // A chart frame made anew draws what it showed before.
    void redrawSpectrumFrame();
    void redrawTrackFrame();
    void retranslateUi();
    // The counter's text; unread: the logger's count could not be read.
    void showCount(const QString& label, bool unread);
    // The labels and, for a failure, the status bar after a connection.
    void showConnection(const Status& report);
    // A job that could not start, or a step that ended one.
    void showEnd(const SessionStep& step);
    // The logger thread's answers.
    void onConnectionMade(const Status& report);
    void onJobStarted(const JobStart& start);
    void onStepped(const SessionStep& step);
    // Says so and offers the stop control while the logger thread connects
    // (for `job`, when one is to follow).
    void beginConnecting(LoggerJob job);
    // Idle again with nothing under way, the connecting message gone.
    void endConnecting();
    void setState(FormState state);
    void dropUnkeptLines();
    void OnTimerEmptyCharts();
    void OnTimerShowRecords();
    void ShowFirstRecord();
    void drawSpectrum(int record);
    void drawTrack(int record);
    void showReadout(QPoint position);
    void exportTo(const QString& path);

    Session& m_session;
    LoggerThread& m_logger;
    DocumentFeed m_feed;
    LoggerJob m_pending = LoggerJob::None;  // the job asked for, connecting or under way
    std::function<bool()> m_downloadGate;
    FormState m_state = FormState::Idle;
    bool m_firstUpdate = true;
    bool m_firstConnection = true;  // the start-up connection's answer is yet to come
    int m_shownConnection = -1;  // the logger session's connection the labels show
    ExportMode m_exportMode = ExportMode::TwoChannel;
    int m_limitRange = 0;
    // What the spectrum chart shows now, for the readout under the mouse.
    int m_drawnRecord = -1;
    bool m_drawnLimit = false;
    bool m_chartsDrawn = false;  // the empty charts or a record's, not the bare frames

    QTimer m_emptyChartsTimer;  // timer 1
    QTimer m_showRecordsTimer;  // timer 3

    QLabel* m_title = nullptr;
    QLabel* m_identity = nullptr;
    bool m_countUnread = false;
    QLabel* m_counter = nullptr;
    QListWidget* m_list = nullptr;
    QPushButton* m_readButton = nullptr;
    QPushButton* m_csvButton = nullptr;
    QRadioButton* m_twoChannel = nullptr;
    QRadioButton* m_reflectance = nullptr;
    QCheckBox* m_limitBox = nullptr;
    ChartFrame* m_spectrumFrame = nullptr;
    ChartFrame* m_trackFrame = nullptr;
    TrackDrawing m_trackDrawing;
};

}  // namespace varnelo
