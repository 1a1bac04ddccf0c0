// The desktop program against a misbehaving logger on a real
// pseudo-terminal: for each fault no wait beyond the exchange deadline and
// its one retry, no half record listed or kept, the status bar says what
// happened, and a new download succeeds once the logger answers again (by
// the read button; after a fault of the connection, which the program makes
// once per run, by the next start).
#include <gtest/gtest.h>

#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QStatusBar>
#include <chrono>
#include <thread>

#include "app/main_frame.h"
#include "app/varnelo_view.h"
#include "app_test_support.h"
#include "device/device_link.h"
#include "simulator/simulated_content.h"
#include "support/simulator_process.h"
#include "support/test_support.h"

namespace varnelo {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr int RECORDS = 20;
constexpr int FAULTS_SEED = 9;
// One exchange timing out, the stale input discarded, the retry timing out,
// and the ticks of a short download.
constexpr auto MOST_WAITED = 2 * EXCHANGE_TIMEOUT + 500ms + 1500ms;

struct Fault {
    const char* name;
    std::vector<std::string> switches;  // of `varnelo-cli simulate`
    const char* says;                   // in the status bar
    int kept;                           // records listed and in the document after the first download
    bool connectionFault = false;       // struck while connecting
    bool answersAgain = true;           // a one-off fault: a new download gets everything
    bool countUnread = false;           // the connection could not read the record count
};

std::ostream& operator<<(std::ostream& out, const Fault& fault) { return out << fault.name; }

const Fault FAULTS[] = {
    // One exchange unanswered while connecting: the others are still made,
    // so the count is there and the download gets every record. Without the
    // count the read button connects again first.
    {"SilentAtIdentityB", {"--silent-at-exchange", "1"}, "応答しません: 識別情報 B (コマンド 2): 16 バイト中 0 バイト", RECORDS, true},
    {"SilentAtIdentityA", {"--silent-at-exchange", "2"}, "応答しません: 識別情報 A (コマンド 0): 32 バイト中 0 バイト", RECORDS, true},
    {"SilentAtDeviceInfo", {"--silent-at-exchange", "3"}, "応答しません: 装置情報 (コマンド 6): 208 バイト中 0 バイト",
     RECORDS, true},
    // Without the parameter block the download is refused: the file needs it.
    {"SilentAtParameters", {"--silent-at-exchange", "4"}, "応答しません: パラメータブロック (コマンド 8): 6728 バイト中 0 バイト",
     0, true},
    {"SilentAtRecordCount", {"--silent-at-exchange", "5"}, "応答しません: レコード数 (コマンド 18): 4 バイト中 0 バイト", RECORDS,
     true, true, true},
    {"SilentAtRecord7", {"--silent-from", "7", "--silent-for", "2"}, "レコード 7 で読み出しが止まりました (7 件", 7},
    {"ShortReplyOnce", {"--short-reply", "5"}, "20 件のレコードを読み出しました", RECORDS},
    {"ShortReplyAlways", {"--short-reply", "5", "--persistent-faults"}, "6728 バイト中 3364 バイト", 5, false, false},
    {"ExtraByteOnce", {"--extra-byte", "5"}, "20 件のレコードを読み出しました", RECORDS},
    {"ExtraByteAlways", {"--extra-byte", "5", "--persistent-faults"}, "求めた 6728 バイトより長く", 5, false, false},
    {"CountZero", {"--report-count", "0"}, "ロガーにレコードがありません", 0, false, false},
    {"CountNegative", {"--report-count", "-5"}, "ロガーにレコードがありません", 0, false, false},
    // Counts of 15000 and more are the command line's rows: at one record per
    // 10 ms tick the desktop program takes two and a half minutes for them.
};

class DownloadFaults : public ::testing::TestWithParam<Fault> {
protected:
    void SetUp() override { test::FreshApplication(); }

    // A new run of the program on the port; returns how long connecting took.
    Clock::duration Start(const std::string& port) {
        frame.reset();
        LoggerChoice logger;
        logger.kind = LoggerChoice::Kind::Port;
        logger.port = QString::fromStdString(port);
        const auto start = Clock::now();
        frame = std::make_unique<CMainFrame>(logger);
        EXPECT_TRUE(test::StartAndConnect(*frame));
        return Clock::now() - start;
    }
    // Presses the read button and waits for the end; returns how long it took.
    Clock::duration Download() {
        // Records of an earlier download are not kept: no to saving them.
        test::ModalAnswer<QMessageBox> discard([](QMessageBox& box) { box.button(QMessageBox::No)->click(); });
        const auto start = Clock::now();
        QTest::mouseClick(frame->view()->readButton(), Qt::LeftButton);
        EXPECT_TRUE(test::WaitFor([&] { return !frame->view()->downloading(); }, 60000));
        return Clock::now() - start;
    }
    std::string Status() const { return frame->statusBar()->currentMessage().toStdString(); }
    int Listed() const { return frame->view()->recordList()->count(); }
    const CVarneloDoc& Doc() const { return frame->session().doc(); }

    test::TempDir dir;
    std::unique_ptr<CMainFrame> frame;
};

TEST_P(DownloadFaults, DesktopDownload) {
    const Fault& fault = GetParam();
    std::vector<std::string> switches = {"--records", std::to_string(RECORDS), "--seed", std::to_string(FAULTS_SEED)};
    switches.insert(switches.end(), fault.switches.begin(), fault.switches.end());
    test::SimulatorProcess simulator(switches);
    const SimulatedContent content(RECORDS, FAULTS_SEED);

    EXPECT_LT(Start(simulator.port()), MOST_WAITED);
    ASSERT_TRUE(frame->view()->connected());
    const std::string connecting = Status();
    if (fault.countUnread) {
        // Too long for the counter's place: cut, and whole in its tooltip.
        const QLabel* counter = frame->view()->counterLabel();
        EXPECT_EQ(counter->toolTip(), QStringLiteral("件数を読めません"));
        EXPECT_TRUE(counter->text().startsWith(QStringLiteral("件数"))) << counter->text().toStdString();
    }
    EXPECT_LT(Download(), MOST_WAITED);
    const std::string said = fault.connectionFault ? connecting : Status();
    EXPECT_NE(said.find(fault.says), std::string::npos) << said;

    // What is listed is what the document holds, and all of it arrived whole.
    EXPECT_EQ(Listed(), fault.kept);
    ASSERT_EQ(Doc().recordCount(), fault.kept);
    for (int i = 0; i < fault.kept; ++i) EXPECT_EQ(Doc().record(i).bytes, content.record(i).bytes) << i;
    if (!fault.answersAgain) return;

    if (fault.connectionFault) Start(simulator.port());
    Download();
    EXPECT_EQ(Listed(), RECORDS) << Status();
    ASSERT_EQ(Doc().recordCount(), RECORDS);
    for (int i = 0; i < RECORDS; ++i) EXPECT_EQ(Doc().record(i).bytes, content.record(i).bytes) << i;
    EXPECT_EQ(Doc().parameterBlock().bytes, content.parameters().bytes);
}

INSTANTIATE_TEST_SUITE_P(Faults, DownloadFaults, ::testing::ValuesIn(FAULTS),
                         [](const ::testing::TestParamInfo<Fault>& info) { return info.param.name; });

// The cable is pulled mid-download: the download stops at once with the
// complete records; plugged in again, the next start downloads everything.
TEST_F(DownloadFaults, PortVanishingMidDownloadAndComingBack) {
    const std::string link = (dir / "logger").string();
    {
        test::SimulatorProcess simulator({"--records", "400", "--pace", "10", "--link", link});
        Start(link);
        QTest::mouseClick(frame->view()->readButton(), Qt::LeftButton);
        ASSERT_TRUE(test::WaitFor([&] { return Listed() >= 20; }));
        simulator.kill();
        const auto killed = Clock::now();
        ASSERT_TRUE(test::WaitFor([&] { return !frame->view()->downloading(); }));
        EXPECT_LT(Clock::now() - killed, 2s);
    }
    EXPECT_NE(Status().find("ポートが失われ"), std::string::npos) << Status();
    EXPECT_EQ(Listed(), Doc().recordCount());
    const SimulatedContent cut(400, 1);
    for (int i = 0; i < Doc().recordCount(); ++i) EXPECT_EQ(Doc().record(i).bytes, cut.record(i).bytes) << i;

    {
        test::SimulatorProcess back({"--records", std::to_string(RECORDS), "--link", link});
        Download();
        EXPECT_EQ(Listed(), RECORDS) << "plugged in again, the same run reads it at the first press";
        EXPECT_EQ(Doc().record(RECORDS - 1).bytes, SimulatedContent(RECORDS, 1).record(RECORDS - 1).bytes);
    }
    // Pulled and plugged in again while idle: the first press finds the old
    // port gone, connects once more and reads the logger there now.
    test::SimulatorProcess again({"--records", std::to_string(RECORDS + 5), "--link", link});
    Download();
    EXPECT_EQ(Listed(), RECORDS + 5) << Status();
    EXPECT_EQ(frame->view()->counterLabel()->text(), QString::fromStdString(CountLabel(0, RECORDS + 5)));
}

}  // namespace
}  // namespace varnelo
