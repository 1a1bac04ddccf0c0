// Everyday sequences around a download, driven as a user drives the window:
// whatever is pressed and whenever, no file is overwritten unasked, no
// record kept is lost unasked, and what is written describes the records
// the document holds.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <QAction>
#include <QFileDialog>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QStatusBar>
#include <QToolButton>
#include <QFileInfo>
#include <chrono>

#include "app/main_frame.h"
#include "app/varnelo_view.h"
#include "app_test_support.h"
#include "simulator/simulated_content.h"
#include "simulator/simulated_link.h"
#include "support/simulator_process.h"
#include "support/test_support.h"

namespace varnelo {
namespace {

using Command = CMainFrame::Command;
using test::ModalAnswer;
using test::WaitFor;
using namespace std::chrono_literals;

constexpr std::uint32_t SEED = 7;

using test::LoggerAtPort;

// A data file of `count` records of another logger than the simulated one
// the window talks to: its blocks and records differ from the logger's.
void WriteDataFile(const std::filesystem::path& path, int count) { test::WriteSimulatedDataFile(path, count, 99); }

class DownloadSequences : public ::testing::Test {
protected:
    void SetUp() override { test::FreshApplication(); }
    void TearDown() override {
        if (frame) {
            frame->view()->stopDownload({});
            frame->session().renew();  // close without the questions
        }
    }

    void Start(const LoggerChoice& logger, const QString& file = {}) {
        frame = std::make_unique<CMainFrame>(test::Watched(logger, simulator));
        ASSERT_TRUE(test::StartAndConnect(*frame, file));
        frame->activateWindow();  // keys reach the window's shortcuts
        ASSERT_TRUE(QTest::qWaitForWindowActive(frame.get()));
    }
    CVarneloView& view() { return *frame->view(); }
    test::SimulatorSeen simulator = std::make_shared<std::atomic<SimulatedLink*>>(nullptr);
    const CVarneloDoc& doc() const { return frame->session().doc(); }
    int Listed() { return view().recordList()->count(); }
    QString Status() const { return frame->statusBar()->currentMessage(); }
    void Read() { QTest::mouseClick(view().readButton(), Qt::LeftButton); }
    void ReadToTheEnd() {
        Read();
        ASSERT_TRUE(WaitFor([&] { return !view().downloading(); }, 60000));
    }
    // Starts a download and lets a few records arrive.
    void ReadSome(int atLeast) {
        Read();
        ASSERT_TRUE(WaitFor([&] { return Listed() >= atLeast; }));
        ASSERT_TRUE(view().downloading());
    }
    // The records listed are the document's, each the logger's own.
    void ExpectKeptWhole(int records) {
        EXPECT_EQ(Listed(), records);
        ASSERT_EQ(doc().recordCount(), records);
        const SimulatedContent logger(records, SEED);
        for (int i = 0; i < records; ++i) EXPECT_EQ(doc().record(i).bytes, logger.record(i).bytes) << i;
    }
    // The window's CSV, and varnelo-cli's of the same records saved to a file.
    void ExpectCsvAsTheCommandLineWritesIt() {
        ModalAnswer<QFileDialog> name([&](QFileDialog& dialog) {
            test::ChooseFile(dialog, test::PathText(dir / "window.csv"));
        });
        QTest::mouseClick(view().csvButton(), Qt::LeftButton);
        ASSERT_TRUE(name.answered());
        Session copy;
        copy.doc().parameterBlock() = doc().parameterBlock();
        for (int i = 0; i < doc().recordCount(); ++i) copy.doc().record(i) = doc().record(i);
        copy.doc().setRecordCount(doc().recordCount());
        ASSERT_TRUE(copy.save(dir / "kept.vrnldata"));
        const auto cli = test::RunCli({"export", (dir / "kept.vrnldata").string(), "-o", (dir / "cli.csv").string()});
        ASSERT_EQ(cli.status, 0) << cli.err;
        EXPECT_EQ(test::ReadFileBytes(dir / "window.csv"), test::ReadFileBytes(dir / "cli.csv"));
    }

    test::TempDir dir;
    test::CurrentFolder here{test::PathText(dir.path())};
    std::unique_ptr<CMainFrame> frame;
};

// Yesterday's file open, a download, Ctrl+S: the download is a new document
// and Save asks for a name; the file keeps every byte, its blocks included.
TEST_F(DownloadSequences, ADownloadNeverSavesOverTheFileThatWasOpen) {
    const auto yesterday = dir / "A.vrnldata";
    WriteDataFile(yesterday, 30);
    const auto before = test::ReadFileBytes(yesterday);
    Start(test::SimulatedLogger(5, SEED), test::PathText(yesterday));
    // Connecting at start leaves the file's blocks in the document.
    EXPECT_EQ(doc().parameterBlock().bytes, SimulatedContent(30, 99).parameters().bytes);
    ASSERT_NE(view().loggerState(), nullptr);
    EXPECT_EQ(view().loggerState()->parameters.bytes, SimulatedContent(5, SEED).parameters().bytes);
    frame->action(Command::Save)->trigger();
    EXPECT_EQ(test::ReadFileBytes(yesterday), before) << "a file saves its own blocks";

    ReadToTheEnd();
    EXPECT_EQ(frame->windowTitle(), QStringLiteral("Varnelo - 無題[*]"));
    ExpectKeptWhole(5);
    EXPECT_EQ(doc().parameterBlock().bytes, SimulatedContent(5, SEED).parameters().bytes);
    {
        ModalAnswer<QFileDialog> cancel([](QFileDialog& dialog) { static_cast<QDialog&>(dialog).reject(); });
        QTest::keyClick(frame.get(), Qt::Key_S, Qt::ControlModifier);
        EXPECT_EQ(cancel.answers(), 1) << "Save asks for a name";
    }
    EXPECT_EQ(test::ReadFileBytes(yesterday), before);
    EXPECT_TRUE(frame->session().changed());

    // Answering "はい" to the question on New goes through the same dialog.
    ModalAnswer<QMessageBox> yes([](QMessageBox& box) { box.button(QMessageBox::Yes)->click(); });
    ModalAnswer<QFileDialog> name([&](QFileDialog& dialog) {
        test::ChooseFile(dialog, test::PathText(dir / "B.vrnldata"));
    });
    frame->action(Command::New)->trigger();
    EXPECT_EQ(test::ReadFileBytes(yesterday), before);
    EXPECT_EQ(test::ReadFileBytes(dir / "B.vrnldata"), test::ExpectedDataFile(SimulatedContent(5, SEED), 5));
}

// While records arrive nothing writes them: Save, Save As and CSV are off,
// Ctrl+S says why; Esc stops and keeps what is complete, and the CSV of what
// was kept has its positions, as varnelo-cli writes them.
TEST_F(DownloadSequences, CommandsThatWriteWaitAndEscStopsKeepingTheRecords) {
    Start(test::SimulatedLogger(2000, SEED));
    ReadSome(3);
    EXPECT_FALSE(frame->action(Command::Save)->isEnabled());
    EXPECT_FALSE(frame->action(Command::SaveAs)->isEnabled());
    EXPECT_FALSE(view().csvButton()->isEnabled());
    EXPECT_FALSE(view().readButton()->isEnabled());
    EXPECT_TRUE(frame->stopButton()->isVisible());
    QTest::keyClick(frame.get(), Qt::Key_S, Qt::ControlModifier);
    EXPECT_TRUE(Status().contains(QStringLiteral("読み出し中は保存できません"))) << Status().toStdString();
    ASSERT_TRUE(view().downloading());

    QTest::keyClick(frame.get(), Qt::Key_Escape);
    ASSERT_FALSE(view().downloading());
    const int kept = Listed();
    EXPECT_GE(kept, 3);
    ExpectKeptWhole(kept);
    EXPECT_TRUE(frame->session().changed());
    EXPECT_FALSE(frame->stopButton()->isVisible());
    EXPECT_TRUE(frame->action(Command::Save)->isEnabled());
    EXPECT_TRUE(view().csvButton()->isEnabled());
    ExpectCsvAsTheCommandLineWritesIt();
}

// New, Open, a dropped file or closing during a download ask first: "いいえ"
// leaves it running untouched; "はい" stops it, then the save question
// comes, whose Cancel keeps the records and a CSV of them is right.
TEST_F(DownloadSequences, ReplacingTheDocumentAsksBeforeStoppingADownload) {
    WriteDataFile(dir / "other.vrnldata", 2);
    Start(test::SimulatedLogger(2000, SEED));
    ReadSome(3);
    {
        QString asked;
        ModalAnswer<QMessageBox> no([&](QMessageBox& box) {
            asked = box.text();
            box.button(QMessageBox::No)->click();
        });
        EXPECT_FALSE(frame->openDocument(test::PathText(dir / "other.vrnldata")));
        frame->action(Command::New)->trigger();
        EXPECT_FALSE(frame->close());
        EXPECT_EQ(no.answers(), 3);
        EXPECT_EQ(asked, QStringLiteral("読み出し中です。読み出しを中止しますか?"));
    }
    ASSERT_TRUE(view().downloading());
    const int soFar = Listed();
    ASSERT_TRUE(WaitFor([&] { return Listed() > soFar; })) << "still running";

    QStringList asked;
    ModalAnswer<QMessageBox> stopThenCancel([&](QMessageBox& box) {
        asked << box.text();
        box.button(asked.size() == 1 ? QMessageBox::Yes : QMessageBox::Cancel)->click();
    });
    frame->action(Command::New)->trigger();
    ASSERT_EQ(asked.size(), 2);
    EXPECT_EQ(asked[1], QStringLiteral("無題 への変更を保存しますか?"));
    ASSERT_FALSE(view().downloading());
    ExpectKeptWhole(Listed());
    ExpectCsvAsTheCommandLineWritesIt();
}

// The cable pulled mid-download keeps the complete records. Reading again
// connects again (the replugged logger) and asks before replacing them.
TEST_F(DownloadSequences, AfterAnUnplugReadingReconnectsAndAsksFirst) {
    Start(test::SimulatedLogger(60, SEED));
    ReadSome(10);
    SimulatedLink* cable = *simulator;
    ASSERT_NE(cable, nullptr);
    cable->unplug();
    ASSERT_TRUE(WaitFor([&] { return !view().downloading(); }));
    const int kept = Listed();
    ExpectKeptWhole(kept);

    {
        ModalAnswer<QMessageBox> cancel([](QMessageBox& box) { box.button(QMessageBox::Cancel)->click(); });
        Read();
        EXPECT_TRUE(WaitFor([&] { return cancel.answers() == 1; }));
    }
    EXPECT_FALSE(view().busy());
    EXPECT_FALSE(simulator->load()->gone()) << "connected again";
    ExpectKeptWhole(kept);

    ModalAnswer<QMessageBox> no([](QMessageBox& box) { box.button(QMessageBox::No)->click(); });
    ReadToTheEnd();
    ExpectKeptWhole(60);
}

// No logger at start: reading is offered, connects, and with nobody there
// leaves the open file's records alone; a logger plugged in later is found.
TEST_F(DownloadSequences, ReadingWithoutALoggerConnectsFirstAndTouchesNothing) {
    const auto link = dir / "logger";
    WriteDataFile(dir / "A.vrnldata", 4);
    Start(LoggerAtPort(link.string()), test::PathText(dir / "A.vrnldata"));
    ASSERT_TRUE(view().readButton()->isEnabled());
    EXPECT_FALSE(frame->action(Command::EditHardware)->isEnabled());
    Read();
    ASSERT_TRUE(WaitFor([&] { return !view().busy(); }));
    EXPECT_TRUE(Status().contains(QStringLiteral("logger"))) << Status().toStdString();
    EXPECT_EQ(doc().recordCount(), 4);
    EXPECT_EQ(Listed(), 4);
    EXPECT_EQ(frame->windowTitle(), QStringLiteral("Varnelo - A.vrnldata[*]"));

    test::SimulatorProcess logger({"--records", "6", "--seed", std::to_string(SEED), "--link", link.string()});
    ReadToTheEnd();
    ExpectKeptWhole(6);
    EXPECT_TRUE(frame->action(Command::EditHardware)->isEnabled());
    EXPECT_EQ(view().counterLabel()->text(), QStringLiteral("    0/    6"));
}

// A FIFO is refused at once instead of holding the window; the message box
// names the file once, and the status bar's long detail is whole in its tooltip.
TEST_F(DownloadSequences, AFifoIsRefusedWithoutWaitingAndTheRecentListForgetsIt) {
    WriteDataFile(dir / "A.vrnldata", 3);
    Start(test::SimulatedLogger(1, SEED), test::PathText(dir / "A.vrnldata"));
    const auto deep = dir / "a-folder-with-a-rather-long-name" / "and-another-one-below-it";
    std::filesystem::create_directories(deep);
    const auto fifo = deep / "pipe.vrnldata";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);

    QString text, informative;
    ModalAnswer<QMessageBox> ok([&](QMessageBox& box) {
        text = box.text();
        informative = box.informativeText();
        box.accept();
    });
    const auto started = std::chrono::steady_clock::now();
    EXPECT_FALSE(frame->openDocument(test::PathText(fifo)));
    EXPECT_LT(std::chrono::steady_clock::now() - started, 2s);
    EXPECT_TRUE(text.startsWith(QStringLiteral("通常のファイルではありません"))) << text.toStdString();
    EXPECT_EQ(informative.count(QStringLiteral("pipe.vrnldata")), 1);
    EXPECT_EQ(QString(informative).remove(QLatin1Char('\n')), test::PathText(fifo)) << "broken at separators only";
    EXPECT_EQ(doc().recordCount(), 3);
    EXPECT_EQ(frame->statusBar()->toolTip(), Status());
    EXPECT_TRUE(Status().contains(test::PathText(fifo))) << Status().toStdString();

    // A recent file that has gone leaves the list when chosen.
    std::filesystem::remove(dir / "A.vrnldata");
    ASSERT_EQ(frame->recentFiles().size(), 1);
    QAction* entry = nullptr;
    for (QAction* a : frame->recentFileMenu()->actions()) {
        if (a->text().endsWith(QStringLiteral("A.vrnldata"))) entry = a;
    }
    ASSERT_NE(entry, nullptr);
    entry->trigger();
    EXPECT_TRUE(frame->recentFiles().isEmpty());
}

// The CSV dialog offers the document's own name; a pattern is no name.
TEST_F(DownloadSequences, TheCsvDialogOffersTheDocumentsNameAndRefusesPatterns) {
    WriteDataFile(dir / "day.vrnldata", 2);
    Start(test::SimulatedLogger(1, SEED), test::PathText(dir / "day.vrnldata"));
    QString offered;
    ModalAnswer<QFileDialog> pattern([&](QFileDialog& dialog) {
        offered = dialog.selectedFiles().value(0);
        test::ChooseFile(dialog, test::PathText(dir / "*.csv"));
    });
    QString refused;
    ModalAnswer<QMessageBox> ok([&](QMessageBox& box) {
        refused = box.text();
        box.accept();
    });
    view().OnSaveCsv();
    EXPECT_EQ(QFileInfo(offered).fileName(), QStringLiteral("day.csv"));
    EXPECT_TRUE(refused.contains(QLatin1Char('*'))) << refused.toStdString();
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1) << "nothing written";
}

}  // namespace
}  // namespace varnelo
