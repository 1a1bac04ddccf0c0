#include <gtest/gtest.h>

#include <QFileDialog>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QTimer>

#include "app/logger_thread.h"
#include "app/setting_dialog.h"
#include "app_test_support.h"
#include "device/connection.h"
#include "session/document_feed.h"
#include "session/logger_session.h"
#include "simulator/simulated_link.h"
#include "support/test_support.h"

namespace varnelo {
namespace {

const QString PROFILE_KEY = QStringLiteral("setting/file");

// The simulated logger, until it falls silent: it then takes every byte and never answers.
class MutedLink : public ByteLink {
public:
    explicit MutedLink(std::unique_ptr<SimulatedLink> inner) : m_inner(std::move(inner)) {}
    std::size_t write(std::span<const std::uint8_t> bytes, Deadline deadline) override {
        return m_muted ? bytes.size() : m_inner->write(bytes, deadline);
    }
    std::size_t read(std::uint8_t* buffer, std::size_t n, Deadline deadline) override {
        return m_muted ? 0 : m_inner->read(buffer, n, deadline);
    }
    void discardInput() override { m_inner->discardInput(); }
    bool gone() const override { return m_inner->gone(); }
    void mute() { m_muted = true; }
    SimulatedLink& inner() { return *m_inner; }

private:
    std::unique_ptr<SimulatedLink> m_inner;
    std::atomic<bool> m_muted{false};
};

void WriteText(const std::filesystem::path& path, const std::string& text) {
    test::WriteFileBytes(path, std::vector<std::uint8_t>(text.begin(), text.end()));
}

class SettingDialog : public ::testing::Test {
protected:
    void SetUp() override {
        // A profile of each test's own, as the tests may run side by side;
        // Qt's file dialog keeps its last folder in the same test profiles,
        // and a folder of an earlier test must not steer this one.
        QCoreApplication::setApplicationName(
            QString::fromLatin1(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        test::FreshApplication();
        QSettings(QSettings::UserScope, QStringLiteral("QtProject")).remove(QStringLiteral("FileDialog"));
        auto link = std::make_unique<MutedLink>(std::make_unique<SimulatedLink>(SimulatorSettings{40, 3, {}}));
        wire = link.get();
        thread = std::make_unique<LoggerThread>(ConnectOnce(std::move(link), "SIM"), std::make_shared<LinkInterrupt>());
        thread->connectLogger(true);
        ASSERT_TRUE(test::WaitFor([&] { return thread->connected(); }));
        ASSERT_TRUE(thread->state()->deviceInfoRead);
        WriteText(first, "type,name\r\n\"C12880MA\",\"HEAD-A\",1,2,3,4,5,6\r\n"
                         "C12880MA,\xE3\x83\x98\xE3\x83\x83\xE3\x83\x89 B ,-1.5E+02,\"2\"\r\n"
                         "C12880MA,HEAD-C,7\r\n");
        WriteText(second, "C12880MA,ONLY,9,8\n");
    }
    void TearDown() override { QCoreApplication::setApplicationName(QStringLiteral("app_tests")); }

    SimulatedLink& logger() { return wire->inner(); }
    const DeviceInfoBlock& deviceInfo() const { return thread->state()->deviceInfo; }
    CSettingDlg Dialog(bool connected = true, bool deviceInfoRead = true) {
        return CSettingDlg(deviceInfo(), thread->state()->parameters, connected ? thread.get() : nullptr, deviceInfoRead);
    }
    // Presses a channel button and waits for what the sending came to.
    static void Send(const CSettingDlg& d, const char* name) {
        Press(d, name);
        EXPECT_TRUE(test::WaitFor([&] { return !FootLine(d).endsWith(QStringLiteral("…")); }));
    }

    template <class T>
    static T* Child(const CSettingDlg& dialog, const char* name) {
        T* child = dialog.findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(child, nullptr) << name;
        return child;
    }
    static QStringList PageLines(const CSettingDlg& d) { return test::ListLines(Child<QListWidget>(d, "pageList")); }
    static QStringList SensorNames(const CSettingDlg& d) { return test::ListLines(Child<QListWidget>(d, "sensorList")); }
    static QString FootLine(const CSettingDlg& d) { return Child<QLabel>(d, "footLine")->text(); }
    static void Select(const CSettingDlg& d, int row) { Child<QListWidget>(d, "sensorList")->setCurrentRow(row); }
    static void Press(const CSettingDlg& d, const char* name) { Child<QAbstractButton>(d, name)->click(); }

    QString HardwareLine(int i) const {
        const auto lines = SettingPageLines(SettingPage::Hardware, deviceInfo(), thread->state()->parameters);
        return QString::fromLocal8Bit(lines.at(static_cast<std::size_t>(i)));
    }

    MutedLink* wire = nullptr;
    std::unique_ptr<LoggerThread> thread;
    test::TempDir dir;
    std::filesystem::path first = dir / "heads.csv";
    std::filesystem::path second = dir / "second.csv";
};

TEST_F(SettingDialog, PagesShowTheBlocksAndEachRadioRebuildsItsPage) {
    CSettingDlg dialog = Dialog();
    EXPECT_EQ(dialog.windowTitle(), "setting");
    EXPECT_EQ(dialog.size(), QSize(635, 403));
    EXPECT_EQ(PageLines(dialog).size(), 7);
    EXPECT_EQ(PageLines(dialog).front(), HardwareLine(0));
    EXPECT_TRUE(PageLines(dialog).front().startsWith("C12880MA-")) << PageLines(dialog).front().toStdString();

    const int counts[] = {7, 2, 511, 511};
    for (int page : {1, 2, 2, 3, 0, 0, 3}) {  // the same page twice: rebuilt, never doubled
        Press(dialog, qPrintable(QStringLiteral("page%1").arg(page)));
        EXPECT_EQ(dialog.currentPage(), SettingPage(page));
        EXPECT_EQ(PageLines(dialog).size(), counts[page]) << page;
        for (int radio = 0; radio < SETTING_PAGE_COUNT; ++radio) {
            EXPECT_EQ(Child<QRadioButton>(dialog, qPrintable(QStringLiteral("page%1").arg(radio)))->isChecked(),
                      radio == page)
                << "page " << page << ", radio " << radio;
        }
    }
}

TEST_F(SettingDialog, TheRememberedFileLoadsAndAChannelButtonUploadsTheHead) {
    QSettings().setValue(PROFILE_KEY, QString::fromStdString(first.string()));
    {
        CSettingDlg dialog = Dialog();
        EXPECT_EQ(SensorNames(dialog), QStringList({"HEAD-A", QStringLiteral("ヘッド B "), "HEAD-C"}));
        EXPECT_TRUE(Child<QListWidget>(dialog, "sensorList")->selectedItems().isEmpty());

        // No head selected: nothing changes or goes out, but the page is rebuilt.
        const DeviceInfoBlock before = deviceInfo();
        Press(dialog, "ch.1");
        EXPECT_EQ(logger().model().deviceInfo().bytes, before.bytes);
        EXPECT_EQ(FootLine(dialog), "");

        Select(dialog, 1);
        Send(dialog, "ch.2");
        EXPECT_EQ(SensorName(deviceInfo(), 1), "\xE3\x83\x98\xE3\x83\x83\xE3\x83\x89 B ");
        EXPECT_EQ(SensorCoefficients(deviceInfo(), 1), (SensorCoefficientSet{-150, 0, 0, 0, 0, 0}));
        EXPECT_TRUE(PageLines(dialog).front().endsWith(QStringLiteral(", ヘッド B ")))
            << PageLines(dialog).front().toStdString();
        EXPECT_EQ(PageLines(dialog).at(1), HardwareLine(1));
        EXPECT_EQ(logger().model().deviceInfo().bytes, deviceInfo().bytes);
        EXPECT_EQ(FootLine(dialog), QStringLiteral("ch.2 に書き込みました"));
        QSettings().remove(PROFILE_KEY);
    }
    EXPECT_EQ(QSettings().value(PROFILE_KEY).toString().toStdString(), first.string()) << "written on closing";
}

TEST_F(SettingDialog, BrowsingReplacesTheHeadsAndCancellingKeepsThem) {
    // The chooser opens in the remembered file's folder.
    QSettings().setValue(PROFILE_KEY, QString::fromStdString((dir / "gone.csv").string()));
    CSettingDlg dialog = Dialog();
    for (const auto& file : {first, second}) {
        const test::ModalAnswer<QFileDialog> choose([&](QFileDialog& chooser) {
            EXPECT_EQ(chooser.directory().absolutePath().toStdString(), dir.path().string());
            EXPECT_EQ(chooser.defaultSuffix(), "csv");
            EXPECT_EQ(chooser.nameFilters(), QStringList{"csv file(*.csv)"});
            test::ChooseFile(chooser, QString::fromStdString(file.string()));
        });
        Press(dialog, "browse");
        EXPECT_TRUE(choose.answered());
        EXPECT_EQ(dialog.settingsFilePath().toStdString(), file.string());
    }
    EXPECT_EQ(SensorNames(dialog), QStringList{"ONLY"});
    const test::ModalAnswer<QFileDialog> cancel([](QFileDialog& chooser) { chooser.reject(); });
    Press(dialog, "browse");
    EXPECT_TRUE(cancel.answered());
    EXPECT_EQ(SensorNames(dialog), QStringList{"ONLY"});
    EXPECT_EQ(dialog.settingsFilePath().toStdString(), second.string());

    Select(dialog, 0);
    Send(dialog, "ch.1");
    EXPECT_EQ(SensorName(deviceInfo(), 0), "ONLY");
    EXPECT_EQ(SensorCoefficients(deviceInfo(), 0), (SensorCoefficientSet{9, 8, 0, 0, 0, 0}));
}

TEST_F(SettingDialog, TheFootLineSaysWhenTheUploadFailed) {
    const struct {
        const char* what;
        bool connected, deviceInfoRead, silent, unplugged;
        QString foot;
    } cases[] = {
        {"no logger", false, true, false, false, QStringLiteral("ch.1 未送信: ロガー未接続")},
        {"block never read", true, false, false, false, QStringLiteral("ch.1 未送信: ロガーの装置情報を読み出せていません")},
        {"silent logger", true, true, true, false, QStringLiteral("ch.1 書き込み失敗: 応答がありません")},
        {"port gone", true, true, false, true, QStringLiteral("ch.1 書き込み失敗: ポートが失われました")},
    };
    QSettings().setValue(PROFILE_KEY, QString::fromStdString(first.string()));
    const DeviceInfoBlock stored = logger().model().deviceInfo();
    for (const auto& c : cases) {
        if (c.silent) wire->mute();
        if (c.unplugged) logger().unplug();
        CSettingDlg dialog = Dialog(c.connected, c.deviceInfoRead);
        Select(dialog, 2);
        Send(dialog, "ch.1");
        EXPECT_EQ(FootLine(dialog), c.foot) << c.what;
        // The dialog keeps the assignment all the same.
        EXPECT_TRUE(PageLines(dialog).join(QString()).contains(QStringLiteral("HEAD-C"))) << c.what;
    }
    EXPECT_EQ(logger().model().deviceInfo().bytes, stored.bytes) << "nothing reached the logger";
}

TEST_F(SettingDialog, UploadsDuringADownloadLeaveEveryRecordIntact) {
    QSettings().setValue(PROFILE_KEY, QString::fromStdString(first.string()));
    Session session;
    DocumentFeed feed(session);
    CSettingDlg dialog = Dialog();
    int uploadsWhileDownloading = 0;
    bool downloading = false;
    auto upload = [&](int row, const char* button) {
        if (downloading) ++uploadsWhileDownloading;
        Select(dialog, row);
        Press(dialog, button);
    };
    QObject::connect(thread.get(), &LoggerThread::jobStarted, &dialog, [&](const JobStart& start) {
        downloading = start.delay.has_value();
    });
    QObject::connect(thread.get(), &LoggerThread::stepped, &dialog, [&](const SessionStep& step) {
        feed.apply(step, thread->state());
        // Clicks queued behind this step, as the user's would be.
        if (step.kind == SessionStep::Kind::Record && step.done == 5) QTimer::singleShot(0, &dialog, [&] { upload(0, "ch.2"); });
        if (step.kind == SessionStep::Kind::Record && step.done == 20) QTimer::singleShot(0, &dialog, [&] { upload(2, "ch.1"); });
        if (!step.rearm) {
            downloading = false;
            dialog.accept();
        }
    });
    feed.begin(LoggerJob::Download, 0, true);
    thread->startDownload();
    QTimer::singleShot(20000, &dialog, &QDialog::reject);  // never hang the test
    EXPECT_EQ(dialog.exec(), QDialog::Accepted);
    ASSERT_TRUE(test::WaitFor([&] { return SensorName(deviceInfo(), 0) == "HEAD-C"; }));

    EXPECT_EQ(uploadsWhileDownloading, 2);
    const SimulatedContent content(40, 3);
    ASSERT_EQ(session.doc().recordCount(), 40);
    for (int i = 0; i < 40; ++i) EXPECT_EQ(session.doc().record(i).bytes, content.record(i).bytes) << "record " << i;
    EXPECT_EQ(logger().model().recordReplies(), 40) << "no record needed a second attempt";
    EXPECT_EQ(SensorName(logger().model().deviceInfo(), 0), "HEAD-C");
    EXPECT_EQ(SensorName(logger().model().deviceInfo(), 1), "HEAD-A");
    EXPECT_EQ(logger().model().deviceInfo().bytes, deviceInfo().bytes);
}

}  // namespace
}  // namespace varnelo
