// The desktop program driven as a user drives it: real widgets offscreen,
// clicks and menu commands, the simulated logger in-process or on a
// pseudo-terminal, data files on disk, pixels read back.
#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QFileDialog>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QStatusTipEvent>

#include "app/chart_frame.h"
#include "app/language.h"
#include "app/main_frame.h"
#include "app/setting_dialog.h"
#include "app/varnelo_view.h"
#include "app_test_support.h"
#include "charts/dialog_units.h"
#include "charts/spectrum_chart.h"
#include "charts/track_chart.h"
#include "simulator/simulated_content.h"
#include "simulator/simulated_link.h"
#include "support/simulator_process.h"
#include "support/test_support.h"
#include "ui/chart_surface.h"

namespace varnelo {
namespace {

using Command = CMainFrame::Command;
using test::ModalAnswer;
using test::WaitFor;

LoggerChoice Simulated(int records, FaultPlan faults = {}) { return test::SimulatedLogger(records, 7, faults); }
LoggerChoice AtPort(const std::string& port) { return test::LoggerAtPort(port); }

QImage SpectrumOf(const MeasurementRecord& record, bool limit) {
    const PixelSize size = SpectrumFrameSize();
    ChartSurface surface(QSize(size.width, size.height));
    surface.draw([&](Canvas& c) { DrawSpectrumChart(c, record, limit); });
    return surface.image();
}

QImage TrackOf(const Session& session, int k) {
    const PixelSize size = TrackFrameSize();
    ChartSurface surface(QSize(size.width, size.height));
    surface.draw([&](Canvas& c) { DrawTrackChart(c, TrackChartDataOf(session.track(), session.trackCount()), k); });
    return surface.image();
}

void WriteDataFile(const std::filesystem::path& path, int count, std::uint32_t seed) {
    test::WriteSimulatedDataFile(path, count, seed);
}

class MainFrame : public ::testing::Test {
protected:
    void SetUp() override { test::FreshApplication(); }

    // A frame on the given logger, started with file (none: a new document).
    CMainFrame& Start(const LoggerChoice& logger, const QString& file = {}) {
        frame = std::make_unique<CMainFrame>(logger);
        EXPECT_TRUE(test::StartAndConnect(*frame, file));
        return *frame;
    }
    CVarneloView& view() { return *frame->view(); }
    void Download() {
        QTest::mouseClick(view().readButton(), Qt::LeftButton);
        ASSERT_TRUE(WaitFor([&] { return !view().downloading(); }, 60000));
    }
    QString Status() const { return frame->statusBar()->currentMessage(); }

    test::TempDir dir;
    test::CurrentFolder here{QString::fromStdString(dir.path().string())};
    std::unique_ptr<CMainFrame> frame;
};

TEST_F(MainFrame, ReadDownloadsEveryRecordListsThemAndDrawsTheFirst) {
    Start(Simulated(25));
    frame->activateWindow();
    ASSERT_TRUE(view().readButton()->isEnabled());
    EXPECT_TRUE(view().identityLabel()->text().startsWith(QStringLiteral("SL-2C")));
    EXPECT_EQ(view().counterLabel()->text(), QStringLiteral("    0/   25"));

    Download();
    const SimulatedContent content(25, 7);
    QStringList expected;
    for (int i = 0; i < 25; ++i) expected << QString::fromStdString(RecordTimeLabel(content.record(i)));
    EXPECT_EQ(test::ListLines(view().recordList()), expected);
    EXPECT_EQ(frame->session().doc().recordCount(), 25);
    for (int i = 0; i < 25; ++i) EXPECT_EQ(frame->session().doc().record(i).bytes, content.record(i).bytes) << i;
    EXPECT_EQ(view().recordList()->currentRow(), 0);
    EXPECT_EQ(QApplication::focusWidget(), view().recordList());
    EXPECT_EQ(view().spectrumFrame()->image(), SpectrumOf(content.record(0), false));
    EXPECT_EQ(view().trackFrame()->image(), TrackOf(frame->session(), 0));
    EXPECT_TRUE(Status().contains(QStringLiteral("25 件のレコードを読み出しました"))) << Status().toStdString();
    // The counter stays as the connection set it.
    EXPECT_EQ(view().counterLabel()->text(), QStringLiteral("    0/   25"));

    // Another line draws its record and moves the cross, without a new track.
    view().recordList()->setCurrentRow(9);
    EXPECT_EQ(view().spectrumFrame()->image(), SpectrumOf(content.record(9), false));
    EXPECT_EQ(view().trackFrame()->image(), TrackOf(frame->session(), 9));
}

TEST_F(MainFrame, DownloadThroughAPseudoTerminalArrivesByteForByte) {
    test::SimulatorProcess simulator({"--records", "12", "--seed", "4"});
    Start(AtPort(simulator.port()));
    ASSERT_TRUE(view().connected()) << Status().toStdString();
    Download();
    const SimulatedContent content(12, 4);
    ASSERT_EQ(frame->session().doc().recordCount(), 12);
    // Record i arrives whole in block i only when each read follows the select of i.
    for (int i = 0; i < 12; ++i) EXPECT_EQ(frame->session().doc().record(i).bytes, content.record(i).bytes) << i;
    EXPECT_EQ(frame->session().doc().parameterBlock().bytes, content.parameters().bytes);
}

TEST_F(MainFrame, AFileOnTheCommandLineIsListedAndItsFirstRecordDrawnShortlyAfter) {
    WriteDataFile(dir / "three.vrnldata", 3, 21);
    Start(AtPort((dir / "no-such-port").string()), QString::fromStdString((dir / "three.vrnldata").string()));
    EXPECT_EQ(frame->windowTitle(), QStringLiteral("Varnelo - three.vrnldata[*]"));
    EXPECT_EQ(view().recordList()->count(), 3);
    EXPECT_EQ(view().recordList()->currentRow(), -1) << "nothing is drawn before timer 3";
    ASSERT_TRUE(WaitFor([&] { return view().recordList()->currentRow() == 0; }, 2000));
    const SimulatedContent content(3, 21);
    EXPECT_EQ(view().spectrumFrame()->image(), SpectrumOf(content.record(0), false));
    EXPECT_EQ(view().trackFrame()->image(), TrackOf(frame->session(), 0));
    EXPECT_FALSE(frame->session().changed());
    EXPECT_EQ(frame->recentFiles().front(), QString::fromStdString((dir / "three.vrnldata").string()));
}

TEST_F(MainFrame, AnUnreadableFileOnTheCommandLineEndsTheProgramWithItsMessage) {
    test::WriteFileBytes(dir / "bad.vrnldata", {1, 2, 3});
    QString shown;
    ModalAnswer<QMessageBox> answer([&](QMessageBox& box) {
        shown = box.text() + QLatin1Char('|') + box.informativeText();
        box.accept();
    });
    CMainFrame window(Simulated(3));
    EXPECT_FALSE(window.start(QString::fromStdString((dir / "bad.vrnldata").string())));
    EXPECT_TRUE(shown.startsWith(QStringLiteral("予期しないファイル形式です。|"))) << shown.toStdString();
    EXPECT_TRUE(shown.contains(QStringLiteral("bad.vrnldata")));
    EXPECT_FALSE(window.isVisible());
}

TEST_F(MainFrame, OpeningAnotherFileRelistsKeepsTheLimitAndResetsTheMode) {
    WriteDataFile(dir / "a.vrnldata", 4, 1);
    WriteDataFile(dir / "b.vrnldata", 2, 2);
    Start(Simulated(5));
    const int connections = frame->logger().connections();
    ASSERT_TRUE(frame->openDocument(QString::fromStdString((dir / "a.vrnldata").string())));
    QTest::mouseClick(view().reflectanceRadio(), Qt::LeftButton);
    QTest::mouseClick(view().limitBox(), Qt::LeftButton);
    ASSERT_TRUE(frame->openDocument(QString::fromStdString((dir / "b.vrnldata").string())));

    EXPECT_EQ(view().recordList()->count(), 2);
    EXPECT_EQ(frame->logger().connections(), connections) << "no second connection";
    EXPECT_EQ(view().exportMode(), ExportMode::TwoChannel);
    EXPECT_TRUE(view().twoChannelRadio()->isChecked());
    EXPECT_FALSE(view().reflectanceRadio()->isChecked());
    EXPECT_TRUE(view().limitBox()->isChecked());
    ASSERT_TRUE(WaitFor([&] { return view().recordList()->currentRow() == 0; }, 2000));
    EXPECT_EQ(view().spectrumFrame()->image(), SpectrumOf(SimulatedContent(2, 2).record(0), true));
    const QStringList recent = frame->recentFiles();
    ASSERT_EQ(recent.size(), 2);
    EXPECT_TRUE(recent[0].endsWith(QStringLiteral("b.vrnldata")));
}

TEST_F(MainFrame, ARefusedFileLeavesListChartsAndDocumentAsTheyWere) {
    WriteDataFile(dir / "good.vrnldata", 3, 5);
    // One byte short of the record its count announces.
    std::vector<std::uint8_t> bytes = test::ReadFileBytes(dir / "good.vrnldata");
    bytes.pop_back();
    test::WriteFileBytes(dir / "short.vrnldata", bytes);
    Start(Simulated(1), QString::fromStdString((dir / "good.vrnldata").string()));
    ASSERT_TRUE(WaitFor([&] { return view().recordList()->currentRow() == 0; }, 2000));
    const QImage spectrum = view().spectrumFrame()->image();
    const QImage track = view().trackFrame()->image();
    const auto record1 = frame->session().doc().record(1).bytes;

    QString shown;
    ModalAnswer<QMessageBox> answer([&](QMessageBox& box) {
        shown = box.text();
        EXPECT_EQ(box.icon(), QMessageBox::Warning);
        EXPECT_TRUE(box.informativeText().contains(QStringLiteral("short.vrnldata")));
        box.accept();
    });
    EXPECT_FALSE(frame->openDocument(QString::fromStdString((dir / "short.vrnldata").string())));
    EXPECT_EQ(shown, QStringLiteral("予期しないファイル形式です。"));
    EXPECT_EQ(frame->windowTitle(), QStringLiteral("Varnelo - good.vrnldata[*]"));
    EXPECT_EQ(view().recordList()->count(), 3);
    EXPECT_EQ(frame->session().doc().recordCount(), 3);
    EXPECT_EQ(frame->session().doc().record(1).bytes, record1);
    QTest::qWait(250);  // no timer may redraw anything either
    EXPECT_EQ(view().spectrumFrame()->image(), spectrum);
    EXPECT_EQ(view().trackFrame()->image(), track);
}

TEST_F(MainFrame, OptionsSetTheirMarksRedrawNothingAndTheLimitOutlivesTheProgram) {
    Start(Simulated(3));
    Download();
    const QImage drawn = view().spectrumFrame()->image();
    QTest::mouseClick(view().reflectanceRadio(), Qt::LeftButton);
    EXPECT_EQ(view().exportMode(), ExportMode::Reflectance);
    EXPECT_FALSE(view().twoChannelRadio()->isChecked());
    EXPECT_TRUE(view().reflectanceRadio()->isChecked());
    QTest::mouseClick(view().reflectanceRadio(), Qt::LeftButton);  // a second click keeps the mark
    EXPECT_TRUE(view().reflectanceRadio()->isChecked());
    QTest::mouseClick(view().twoChannelRadio(), Qt::LeftButton);
    EXPECT_EQ(view().exportMode(), ExportMode::TwoChannel);
    EXPECT_TRUE(view().twoChannelRadio()->isChecked());
    EXPECT_FALSE(view().reflectanceRadio()->isChecked());
    QTest::mouseClick(view().limitBox(), Qt::LeftButton);
    EXPECT_TRUE(view().limitRange());
    EXPECT_EQ(view().spectrumFrame()->image(), drawn) << "the option applies at the next drawing";
    view().recordList()->setCurrentRow(1);
    EXPECT_EQ(view().spectrumFrame()->image(), SpectrumOf(frame->session().doc().record(1), true));

    frame->session().renew();  // nothing to ask about on closing
    frame.reset();
    Start(Simulated(1));
    EXPECT_TRUE(view().limitBox()->isChecked());
    EXPECT_TRUE(view().limitRange());
}

TEST_F(MainFrame, CommandsAreEnabledByTheConnectionOrNeverAtAll) {
    Start(AtPort((dir / "no-such-port").string()));
    EXPECT_TRUE(view().readButton()->isEnabled()) << "reading connects first";
    EXPECT_FALSE(frame->action(Command::EditHardware)->isEnabled());
    EXPECT_TRUE(Status().contains(QStringLiteral("no-such-port"))) << Status().toStdString();
    EXPECT_EQ(view().identityLabel()->text(), QStringLiteral("---------------"));
    EXPECT_EQ(view().counterLabel()->text(), QStringLiteral("-----/-----"));
    for (Command never : {Command::Undo, Command::Cut, Command::Copy, Command::Paste, Command::Print}) {
        EXPECT_FALSE(frame->action(never)->isEnabled());
    }
    EXPECT_TRUE(view().csvButton()->isEnabled());
    EXPECT_EQ(frame->windowTitle(), QStringLiteral("Varnelo - 無題[*]"));

    frame.reset();
    Start(Simulated(2));
    EXPECT_TRUE(view().readButton()->isEnabled());
    EXPECT_TRUE(frame->action(Command::EditHardware)->isEnabled());
    for (Command never : {Command::Undo, Command::Cut, Command::Copy, Command::Paste, Command::Print}) {
        EXPECT_FALSE(frame->action(never)->isEnabled());
    }
}

TEST_F(MainFrame, ARepaintShowsTheSameChartPixels) {
    Start(Simulated(4));
    Download();
    const QImage drawn = view().spectrumFrame()->image();
    frame->hide();
    frame->show();
    QApplication::processEvents();
    EXPECT_EQ(view().spectrumFrame()->grab().toImage().convertToFormat(drawn.format()), drawn);
    EXPECT_EQ(view().trackFrame()->grab().toImage().convertToFormat(drawn.format()), view().trackFrame()->image());
}

TEST_F(MainFrame, ALoggerFallingSilentStopsTheDownloadAtThatRecord) {
    FaultPlan faults;
    faults.silentFrom = 6;
    Start(Simulated(20, faults));
    Download();
    EXPECT_EQ(view().recordList()->count(), 6);
    EXPECT_EQ(frame->session().doc().recordCount(), 6);
    EXPECT_TRUE(Status().contains(QStringLiteral("レコード 6"))) << Status().toStdString();
    EXPECT_TRUE(view().readButton()->isEnabled());
    EXPECT_EQ(view().recordList()->currentRow(), 0);
}

TEST_F(MainFrame, TheSettingsDialogUploadsBetweenDownloadStepsWithoutHarmingThem) {
    const auto settings = dir / "heads.csv";
    const std::string text = "C12880MA,HEAD-X,1,2,3,4,5,6\n";
    test::WriteFileBytes(settings, std::vector<std::uint8_t>(text.begin(), text.end()));
    QSettings().setValue(QStringLiteral("setting/file"), QString::fromStdString(settings.string()));
    auto simulator = std::make_shared<std::atomic<SimulatedLink*>>(nullptr);
    Start(test::Watched(Simulated(40), simulator));
    QTest::mouseClick(view().readButton(), Qt::LeftButton);
    ASSERT_TRUE(WaitFor([&] { return view().recordList()->count() >= 5; }));

    QString foot;
    bool downloadingMeanwhile = false;
    {
        ModalAnswer<CSettingDlg> upload([&](CSettingDlg& dialog) {
            downloadingMeanwhile = view().downloading();
            dialog.findChild<QListWidget*>(QStringLiteral("sensorList"))->setCurrentRow(0);
            dialog.findChild<QPushButton*>(QStringLiteral("ch.1"))->click();
            const QLabel* footLine = dialog.findChild<QLabel*>(QStringLiteral("footLine"));
            EXPECT_TRUE(WaitFor([&] { return !footLine->text().endsWith(QStringLiteral("…")); }));
            foot = footLine->text();
            dialog.accept();
        });
        frame->action(Command::EditHardware)->trigger();
        EXPECT_TRUE(upload.answered());
    }
    ASSERT_TRUE(WaitFor([&] { return !view().downloading(); }));
    EXPECT_TRUE(downloadingMeanwhile);
    EXPECT_EQ(foot, QStringLiteral("ch.1 に書き込みました"));
    const SimulatedContent content(40, 7);
    ASSERT_EQ(frame->session().doc().recordCount(), 40);
    for (int i = 0; i < 40; ++i) EXPECT_EQ(frame->session().doc().record(i).bytes, content.record(i).bytes) << i;
    const SimulatedLink* logger = *simulator;
    ASSERT_NE(logger, nullptr);
    EXPECT_EQ(SensorName(logger->model().deviceInfo(), 0), "HEAD-X");
    EXPECT_EQ(logger->model().recordReplies(), 40) << "no record needed a second attempt";
}

TEST_F(MainFrame, AnUnsavedDownloadIsAskedAboutUntilItIsSaved) {
    WriteDataFile(dir / "other.vrnldata", 1, 3);
    Start(Simulated(5));
    Download();
    ASSERT_TRUE(frame->session().changed());

    {
        // Cancel keeps everything: no file dialog, no new document.
        QString question;
        ModalAnswer<QMessageBox> cancel([&](QMessageBox& box) {
            question = box.text();
            box.button(QMessageBox::Cancel)->click();
        });
        EXPECT_FALSE(frame->openDocument(QString::fromStdString((dir / "other.vrnldata").string())));
        EXPECT_EQ(question, QStringLiteral("無題 への変更を保存しますか?"));
        EXPECT_EQ(frame->session().doc().recordCount(), 5);
    }

    // Yes saves first, through Save As for a document without a file.
    const QString saved = QString::fromStdString((dir / "download.vrnldata").string());
    {
        ModalAnswer<QMessageBox> yes([](QMessageBox& box) { box.button(QMessageBox::Yes)->click(); });
        ModalAnswer<QFileDialog> name([&](QFileDialog& dialog) {
            test::ChooseFile(dialog, saved.chopped(9));  // typed without the extension
        });
        frame->action(Command::New)->trigger();
        EXPECT_EQ(yes.answers(), 1);
        EXPECT_EQ(name.answers(), 1);
    }
    EXPECT_EQ(test::ReadFileBytes(saved.toStdString()).size(), DataFileSize(5));
    EXPECT_FALSE(frame->session().changed());
    EXPECT_EQ(frame->windowTitle(), QStringLiteral("Varnelo - 無題[*]")) << "File > New after the save";

    // Nothing left to ask about.
    ModalAnswer<QMessageBox> unexpected([](QMessageBox& box) { box.reject(); });
    EXPECT_TRUE(frame->openDocument(QString::fromStdString((dir / "other.vrnldata").string())));
    EXPECT_FALSE(unexpected.answered());
}

// A message keeps half the bar and outlasts prompts and pointer readouts; no warning.
TEST(StatusBar, AMessageKeepsHalfTheBarAndOutlastsPromptsAndReadouts) {
    test::FreshApplication();
    static QString warnings;
    const auto previous = qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString& t) { warnings += t; });
    CMainFrame frame(test::SimulatedLogger(5, 7));
    ASSERT_TRUE(test::StartAndConnect(frame));
    qInstallMessageHandler(previous);
    EXPECT_FALSE(warnings.contains(QStringLiteral("StatusBar"))) << warnings.toStdString();
    for (const char* language : {"ja", "en"}) {
        SwitchLanguage(QString::fromLatin1(language));
        const QString error = QStringLiteral("error: the logger did not answer");
        emit frame.view()->statusMessage(error);
        frame.showReadout(QStringLiteral("850 nm   ch.1 65535.0   ch.2 65535.0   refl. 1.234"));
        for (const QString& tip : {QStringLiteral("a prompt"), QString()}) {
            QStatusTipEvent event(tip);
            QCoreApplication::sendEvent(&frame, &event);
        }
        QTest::qWait(50);
        EXPECT_EQ(frame.statusBar()->currentMessage(), error) << language;
        for (QWidget* pane : frame.statusBar()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            EXPECT_TRUE(!pane->isVisible() || pane->x() == 0 || pane->x() >= frame.statusBar()->width() / 2) << language;
    }
    SwitchLanguage(QStringLiteral("ja"));
}

}  // namespace
}  // namespace varnelo
