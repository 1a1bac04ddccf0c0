#pragma once
// The main form: the connection label and record counter, the read and CSV
// buttons, the export options, the record list and the two chart frames.
// It owns the logger's port, the download and the three one-shot timers,
// and draws the charts at four moments only: the empty charts (timer 1), the
// first record of an opened document (timer 3), the end of a download and a
// change of the selected line. A download that ends early (stopped, or cut
// by a fault) draws what it kept, so nothing on screen describes records the
// document no longer holds. Which commands are offered is the frame's to
// decide, from state() (see form_state.h).

#include <QString>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>

#include "device/connection.h"
#include "device/record_append.h"
#include "device/record_download.h"
#include "export/csv_export.h"
#include "launch/logger_options.h"
#include "session/form_state.h"
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
    CVarneloView(Session& session, const LoggerChoice& logger, QWidget* parent);
    ~CVarneloView() override;  // keeps the 400-800 nm option in the profile

    // Run after the document was created or opened: the first time it makes
    // the start-up connection attempt; every time it lists the records.
    void OnInitialUpdate();

    FormState state() const { return m_state; }
    bool downloading() const { return m_state == FormState::Downloading; }
    bool connected() const { return m_connection.has_value(); }
    // The connected logger's port, for the settings dialog; null when none.
    ByteLink* link() { return m_connection ? m_connection->link.get() : nullptr; }
    // What the connection learnt, with the logger's own blocks; null when
    // there is none. The settings dialog shows and uploads these, whatever
    // file the document came from.
    LoggerState* loggerState() { return m_connection ? &m_connection->state : nullptr; }
    // Ends a download that is under way, keeping what is complete, with the
    // reason (if any) in the status bar. False when none was under way.
    bool stopDownload(const QString& why);
    // Asked before a full download replaces records no file has; false
    // keeps the document and starts nothing.
    void setDownloadGate(std::function<bool()> gate) { m_downloadGate = std::move(gate); }
    // Whether what is under way appends to the document rather than replacing it.
    bool appending() const { return m_append && m_append->pending(); }

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
    // Only the logger's records the document lacks, after its last one is checked (RecordAppend).
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
    // Download progress; total < 0 once no download is under way.
    void downloadProgress(int done, int total);
    // The document now holds records no file has, or has become untitled.
    void documentChanged();
    // Downloading began or ended, or the logger came or went.
    void stateChanged();
    // Record `record` was drawn; -1: the empty charts.
    void recordDrawn(int record);

private:
    void buildControls();
    // The connection exchanges; adopt: the blocks read become the document's.
    bool connectToLogger(bool adopt);
    // A port that is gone, a count never read or a download cut by a fault
    // is connected again before reading.
    bool needsConnection() const;
    void setState(FormState state);
    void finishDownload();
    void dropUnkeptLines();
    void OnTimerEmptyCharts();
    void OnTimerDownload();
    void OnTimerAppend();
    void OnTimerShowRecords();
    void ShowFirstRecord();
    void drawSpectrum(int record);
    void drawTrack(int record);
    void showReadout(QPoint position);
    void exportTo(const QString& path);

    Session& m_session;
    LoggerChoice m_logger;
    std::optional<LoggerConnection> m_connection;
    std::unique_ptr<RecordDownload> m_download;
    std::function<bool()> m_downloadGate;
    FormState m_state = FormState::Idle;
    bool m_faulted = false;  // the last download stopped on a failed exchange
    std::unique_ptr<RecordAppend> m_append;  // ticks on the download's timer
    bool m_firstUpdate = true;
    int m_deviceRecordCount = 0;
    ExportMode m_exportMode = ExportMode::TwoChannel;
    int m_limitRange = 0;
    // What the spectrum chart shows now, for the readout under the mouse.
    int m_drawnRecord = -1;
    bool m_drawnLimit = false;

    QTimer m_emptyChartsTimer;  // timer 1
    QTimer m_downloadTimer;     // timer 2
    QTimer m_showRecordsTimer;  // timer 3

    QLabel* m_identity = nullptr;
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
