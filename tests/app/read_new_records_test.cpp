// File > "新しいレコードを読み出し" on the in-process simulated logger: when it
// is offered, what it lists and keeps, and that a refusal or a stop leaves
// the document and its list as they were.
#include <gtest/gtest.h>

#include <QAction>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QStatusBar>

#include "app/main_frame.h"
#include "app/varnelo_view.h"
#include "app_test_support.h"
#include "simulator/simulated_content.h"
#include "support/simulator_process.h"
#include "support/test_support.h"

namespace varnelo {
namespace {

constexpr std::uint32_t READ_NEW_SEED = 5;
constexpr int HELD = 30;

struct Case {
    const char* name;
    int logger;            // records the simulated logger holds
    std::uint32_t seed;    // its seed
    int shortReplyAt;      // a record whose reply always stops halfway; -1 none
    int listed;            // records listed and held after
    const char* says;      // in the status bar
};

std::ostream& operator<<(std::ostream& out, const Case& c) { return out << c.name; }

const Case CASES[] = {
    {"TwelveNew", 42, READ_NEW_SEED, -1, 42, "新しいレコードを 12 件読み出しました (全 42 件)"},
    {"NoNewRecords", HELD, READ_NEW_SEED, -1, HELD, "新しいレコードはありません"},
    {"ClearedLogger", 10, READ_NEW_SEED, -1, HELD, "ロガーのレコード (10 件) がドキュメント (30 件) より少ない"},
    {"AnotherLogger", 42, READ_NEW_SEED + 1, -1, HELD, "ロガーのレコード 29 がドキュメントと異なる"},
    {"StopHalfWay", 42, READ_NEW_SEED, 35, HELD, "レコード 35 で読み出しが止まりました。何も追加していません"},
};

class ReadNewRecords : public ::testing::TestWithParam<Case> {
protected:
    void SetUp() override { test::FreshApplication(); }
    test::TempDir dir;
};

TEST_P(ReadNewRecords, ListsOnlyTheNewRecordsOrLeavesTheDocumentAsItWas) {
    const Case& c = GetParam();
    const SimulatedContent content(std::max(c.logger, HELD), READ_NEW_SEED);
    const auto file = dir / "day.vrnldata";
    test::WriteFileBytes(file, test::ExpectedDataFile(content, HELD));

    LoggerChoice logger;
    logger.kind = LoggerChoice::Kind::Simulated;
    logger.simulator = {c.logger, c.seed, {}};
    logger.simulator.faults.shortReplyAt = c.shortReplyAt;
    logger.simulator.faults.persistent = true;
    CMainFrame frame(logger);
    ASSERT_TRUE(test::StartAndConnect(frame, QString::fromStdString(file.string())));
    CVarneloView& view = *frame.view();
    QAction* readNew = frame.readNewAction();
    EXPECT_EQ(readNew->text(), QStringLiteral("新しいレコードを読み出し"));
    EXPECT_TRUE(readNew->isEnabled());
    const ParameterBlock parameters = frame.session().doc().parameterBlock();

    readNew->trigger();
    emit frame.recentFileMenu()->aboutToShow();
    EXPECT_FALSE(readNew->isEnabled()) << "not again while it runs";
    ASSERT_TRUE(test::WaitFor([&] { return !view.downloading(); }));

    const CVarneloDoc& doc = frame.session().doc();
    EXPECT_NE(frame.statusBar()->currentMessage().indexOf(QString::fromUtf8(c.says)), -1)
        << frame.statusBar()->currentMessage().toStdString();
    ASSERT_EQ(doc.recordCount(), c.listed);
    ASSERT_EQ(view.recordList()->count(), c.listed);
    for (int i = 0; i < c.listed; ++i) {
        EXPECT_EQ(doc.record(i).bytes, content.record(i).bytes) << i;
        EXPECT_EQ(view.recordList()->item(i)->text().toStdString(), RecordTimeLabel(content.record(i))) << i;
    }
    EXPECT_EQ(doc.parameterBlock().bytes, parameters.bytes);
    const bool appended = c.listed > HELD;
    EXPECT_EQ(frame.session().changed(), appended);
    EXPECT_EQ(frame.session().path(), file) << "appending keeps the file's name";
    EXPECT_TRUE(frame.windowTitle().contains(QStringLiteral("day.vrnldata"))) << frame.windowTitle().toStdString();
    if (appended) {
        EXPECT_EQ(view.recordList()->currentRow(), 0) << "drawn as at the end of a download";
        EXPECT_EQ(frame.session().trackCount(), c.listed);
    }
    emit frame.recentFileMenu()->aboutToShow();
    EXPECT_TRUE(readNew->isEnabled());
}

INSTANTIATE_TEST_SUITE_P(Cases, ReadNewRecords, ::testing::ValuesIn(CASES),
                         [](const ::testing::TestParamInfo<Case>& info) { return info.param.name; });

// Offered with records to check even without a logger: it connects first
// and, with nobody there, leaves the document alone. Records another
// program added to the file meanwhile are not saved over unasked.
TEST_F(ReadNewRecords, IsOfferedWithRecordsToCheckAndNeverSavesOverAnOutsideAppend) {
    LoggerChoice none;
    none.kind = LoggerChoice::Kind::Port;
    none.port = QString::fromStdString((dir / "no-such-port").string());
    CMainFrame unconnected(none);
    ASSERT_TRUE(test::StartAndConnect(unconnected));
    EXPECT_FALSE(unconnected.readNewAction()->isEnabled());

    const SimulatedContent content(HELD + 5, READ_NEW_SEED);
    const auto file = dir / "day.vrnldata";
    test::WriteFileBytes(file, test::ExpectedDataFile(content, HELD));
    ASSERT_TRUE(unconnected.openDocument(QString::fromStdString(file.string())));
    ASSERT_TRUE(unconnected.readNewAction()->isEnabled());
    unconnected.readNewAction()->trigger();
    ASSERT_TRUE(test::WaitFor([&] { return !unconnected.view()->busy(); }));
    EXPECT_TRUE(unconnected.statusBar()->currentMessage().contains(QStringLiteral("no-such-port")));
    EXPECT_EQ(unconnected.session().doc().recordCount(), HELD);
    EXPECT_EQ(unconnected.session().path(), file);

    const auto appended = test::ExpectedDataFile(content, HELD + 5);
    test::WriteFileBytes(file, appended);
    test::ModalAnswer<QMessageBox> cancel([](QMessageBox& box) {
        EXPECT_TRUE(box.text().contains(QStringLiteral("別のプログラムで変更されています"))) << box.text().toStdString();
        box.button(QMessageBox::Cancel)->click();
    });
    unconnected.action(CMainFrame::Command::Save)->trigger();
    EXPECT_TRUE(cancel.answered());
    EXPECT_EQ(test::ReadFileBytes(file), appended);
    EXPECT_EQ(unconnected.session().doc().recordCount(), HELD);

    LoggerChoice simulated;
    simulated.kind = LoggerChoice::Kind::Simulated;
    CMainFrame empty(simulated);
    ASSERT_TRUE(test::StartAndConnect(empty));
    EXPECT_FALSE(empty.readNewAction()->isEnabled()) << "a new document takes a full download";
}

}  // namespace
}  // namespace varnelo
