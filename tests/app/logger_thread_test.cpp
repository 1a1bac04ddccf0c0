// The window while its logger thread connects, downloads and stops, over
// real pseudo-terminals: a logger that never answers, one that falls silent
// in the middle of an exchange, one that answers. After each step the
// window's state is what the user must see, and all along its event loop
// kept turning: a probe timer is never held up for an exchange's deadline.
#include <gtest/gtest.h>

#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QStatusBar>
#include <QToolButton>
#include <chrono>
#include <optional>

#include "app/main_frame.h"
#include "app/varnelo_view.h"
#include "app_test_support.h"
#include "support/simulator_process.h"
#include "support/stall_probe.h"
#include "support/test_support.h"

namespace varnelo {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// Far below any exchange's deadline, far above what a loaded sanitized
// run's event loop lags by; the benchmark holds the window to 30 ms.
constexpr auto THREAD_MOST_STALLED = 250ms;
constexpr auto THREAD_STOPS_WITHIN = 100ms;
constexpr auto THREAD_GIVES_UP_WITHIN = 4500ms;
constexpr int SEQUENCE_RECORDS = 12;
constexpr int SEQUENCE_SILENT_FROM = 5;

enum class Act { Start, Read, WaitForRecords, WaitInExchange, Stop, WaitIdle, Close };

struct Step {
    Act act;
    bool busy;             // the stop control shown, reading off
    int listed;            // -1: not checked
    const char* says;      // in the status bar; empty: not checked
};

struct Sequence {
    const char* name;
    bool deadPort;         // else a simulated logger on a terminal, falling silent at SEQUENCE_SILENT_FROM
    std::vector<Step> steps;
};

std::ostream& operator<<(std::ostream& out, const Sequence& sequence) { return out << sequence.name; }

// The silent logger's download up to its silence (connected, five records
// in, the next exchange waiting), then `more`.
std::vector<Step> InTheSilence(std::initializer_list<Step> more) {
    std::vector<Step> steps = {{Act::Start, true, 0, ""},
                               {Act::WaitIdle, false, 0, ""},
                               {Act::Read, true, -1, ""},
                               {Act::WaitForRecords, true, SEQUENCE_SILENT_FROM, ""},
                               {Act::WaitInExchange, true, SEQUENCE_SILENT_FROM, ""}};
    steps.insert(steps.end(), more);
    return steps;
}

const Sequence THREAD_SEQUENCES[] = {
    {"ConnectToADeadPort", true,
     {{Act::Start, true, 0, "ロガーに接続しています"}, {Act::WaitIdle, false, 0, "ロガーが応答しません: 識別情報 B"},
      {Act::Read, true, 0, "ロガーに接続しています"}, {Act::WaitIdle, false, 0, "ロガーが応答しません"}}},
    {"StopConnectingToADeadPort", true,
     {{Act::Start, true, 0, ""}, {Act::WaitInExchange, true, 0, ""}, {Act::Stop, false, 0, "ロガーへの接続を中止しました"}}},
    // The next job connects afresh, and the logger answers a new client.
    {"StopInTheMiddleOfASilentExchange", false,
     InTheSilence({{Act::Stop, false, SEQUENCE_SILENT_FROM, "読み出しを中止しました (5 件読み出し済み)"},
                   {Act::Read, true, -1, ""},
                   {Act::WaitIdle, false, SEQUENCE_RECORDS, "12 件のレコードを読み出しました"}})},
    {"CloseWhileConnecting", true, {{Act::Start, true, 0, ""}, {Act::WaitInExchange, true, 0, ""}, {Act::Close, false, -1, ""}}},
    {"CloseWhileDownloading", false, InTheSilence({{Act::Close, false, -1, ""}})},
};

class LoggerThreadSequences : public ::testing::TestWithParam<Sequence> {
protected:
    void SetUp() override { test::FreshApplication(); }
};

TEST_P(LoggerThreadSequences, TheWindowNeverWaits) {
    const Sequence& sequence = GetParam();
    test::DeadTerminal dead;
    std::optional<test::SimulatorProcess> simulator;
    if (!sequence.deadPort) {
        // Silent for two commands: the one the stop cuts short, and the
        // first of the next connection, whether or not the logger saw the
        // port close in between.
        simulator.emplace(std::vector<std::string>{"--records", std::to_string(SEQUENCE_RECORDS), "--silent-from",
                                                   std::to_string(SEQUENCE_SILENT_FROM), "--silent-for", "2"});
    }
    auto frame = std::make_unique<CMainFrame>(test::LoggerAtPort(sequence.deadPort ? dead.path() : simulator->port()));
    const test::StallProbe probe(std::chrono::milliseconds(5));
    // Closing stops what runs, and records of an earlier download are not kept.
    test::ModalAnswer<QMessageBox> answer([](QMessageBox& box) {
        box.button(box.button(QMessageBox::Cancel) != nullptr ? QMessageBox::No : QMessageBox::Yes)->click();
    });
    for (const Step& step : sequence.steps) {
        const auto start = Clock::now();
        switch (step.act) {
            case Act::Start: ASSERT_TRUE(frame->start({})); break;
            case Act::Read: QTest::mouseClick(frame->view()->readButton(), Qt::LeftButton); break;
            case Act::WaitForRecords:
                ASSERT_TRUE(test::WaitFor([&] { return frame->view()->recordList()->count() >= step.listed; }));
                break;
            case Act::WaitInExchange: QTest::qWait(300); break;
            case Act::Stop: QTest::keyClick(frame.get(), Qt::Key_Escape); break;
            case Act::WaitIdle:
                ASSERT_TRUE(test::WaitFor([&] { return !frame->view()->busy(); }, 20000));
                if (sequence.deadPort) {
                    EXPECT_LT(Clock::now() - start, THREAD_GIVES_UP_WITHIN);
                }
                break;
            case Act::Close:
                frame->close();
                frame.reset();
                EXPECT_LT(Clock::now() - start, THREAD_STOPS_WITHIN + 200ms) << "the thread ended with the window";
                break;
        }
        if (!frame) break;
        if (step.act == Act::Stop) {
            EXPECT_LT(Clock::now() - start, THREAD_STOPS_WITHIN);
        }
        const int at = static_cast<int>(&step - sequence.steps.data());
        EXPECT_EQ(frame->view()->busy(), step.busy) << "step " << at;
        EXPECT_EQ(frame->stopButton()->isVisible(), step.busy) << "step " << at;
        EXPECT_EQ(frame->view()->readButton()->isEnabled(), !step.busy) << "step " << at;
        if (frame->view()->state() == FormState::Connecting) {
            EXPECT_FALSE(frame->action(CMainFrame::Command::EditHardware)->isEnabled()) << "step " << at;
        }
        if (step.listed >= 0) {
            EXPECT_EQ(frame->view()->recordList()->count(), step.listed) << "step " << at;
            EXPECT_EQ(frame->session().doc().recordCount(), step.listed) << "step " << at;
        }
        const QString status = frame->statusBar()->currentMessage();
        EXPECT_TRUE(status.contains(QString::fromUtf8(step.says))) << "step " << at << ": " << status.toStdString();
    }
    EXPECT_LT(probe.worst(), THREAD_MOST_STALLED);
}

INSTANTIATE_TEST_SUITE_P(Window, LoggerThreadSequences, ::testing::ValuesIn(THREAD_SEQUENCES),
                         [](const ::testing::TestParamInfo<Sequence>& info) { return info.param.name; });

}  // namespace
}  // namespace varnelo
