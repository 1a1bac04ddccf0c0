#include <gtest/gtest.h>

#include <QFileDialog>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QTimer>

#include "app/setting_dialog.h"
#include "app_test_support.h"
#include "device/connection.h"
#include "session/logger_session.h"
#include "simulator/simulated_link.h"
#include "support/test_support.h"

namespace varnelo {
namespace {

const QString PROFILE_KEY = QStringLiteral("setting/file");

// A logger that takes every byte and never answers.
class SilentLink : public ByteLink {
public:
    std::size_t write(std::span<const std::uint8_t> bytes, Deadline) override { return bytes.size(); }
    std::size_t read(std::uint8_t*, std::size_t, Deadline) override { return 0; }
    void discardInput() override {}
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
        connection = ConnectLink(std::make_unique<SimulatedLink>(SimulatorSettings{40, 3, {}}), "SIM", *doc);
        ASSERT_TRUE(connection.state.deviceInfoRead);
        WriteText(first, "type,name\r\n\"C12880MA\",\"HEAD-A\",1,2,3,4,5,6\r\n"
                         "C12880MA,\xE3\x83\x98\xE3\x83\x83\xE3\x83\x89 B ,-1.5E+02,\"2\"\r\n"
                         "C12880MA,HEAD-C,7\r\n");
        WriteText(second, "C12880MA,ONLY,9,8\n");
    }
    void TearDown() override { QCoreApplication::setApplicationName(QStringLiteral("app_tests")); }

    SimulatedLink& logger() { return static_cast<SimulatedLink&>(*connection.link); }

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
        const auto lines = SettingPageLines(SettingPage::Hardware, doc->deviceInfo(), doc->parameterBlock());
        return QString::fromLocal8Bit(lines.at(static_cast<std::size_t>(i)));
    }

    std::unique_ptr<CVarneloDoc> doc = std::make_unique<CVarneloDoc>();
    LoggerConnection connection;
    test::TempDir dir;
    std::filesystem::path first = dir / "heads.csv";
    std::filesystem::path second = dir / "second.csv";
};

TEST_F(SettingDialog, PagesShowTheBlocksAndEachRadioRebuildsItsPage) {
    CSettingDlg dialog(*doc, connection.link.get());
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
        CSettingDlg dialog(*doc, connection.link.get());
        EXPECT_EQ(SensorNames(dialog), QStringList({"HEAD-A", QStringLiteral("ヘッド B "), "HEAD-C"}));
        EXPECT_TRUE(Child<QListWidget>(dialog, "sensorList")->selectedItems().isEmpty());

        // No head selected: nothing changes or goes out, but the page is rebuilt.
        const DeviceInfoBlock before = doc->deviceInfo();
        Press(dialog, "page1");
        doc->parameterBlock().set_exp(4321, 8765);
        Press(dialog, "ch.1");
        EXPECT_EQ(PageLines(dialog).front(), " 4321, 8765");
        EXPECT_EQ(doc->deviceInfo().bytes, before.bytes);
        EXPECT_EQ(logger().model().deviceInfo().bytes, before.bytes);
        EXPECT_EQ(FootLine(dialog), "");

        Press(dialog, "page0");
        Select(dialog, 1);
        Press(dialog, "ch.2");
        EXPECT_EQ(SensorName(doc->deviceInfo(), 1), "\xE3\x83\x98\xE3\x83\x83\xE3\x83\x89 B ");
        EXPECT_EQ(SensorCoefficients(doc->deviceInfo(), 1), (SensorCoefficientSet{-150, 0, 0, 0, 0, 0}));
        EXPECT_TRUE(PageLines(dialog).front().endsWith(QStringLiteral(", ヘッド B ")))
            << PageLines(dialog).front().toStdString();
        EXPECT_EQ(PageLines(dialog).at(1), HardwareLine(1));
        EXPECT_EQ(logger().model().deviceInfo().bytes, doc->deviceInfo().bytes);
        EXPECT_EQ(FootLine(dialog), QStringLiteral("ch.2 に書き込みました"));
        QSettings().remove(PROFILE_KEY);
    }
    EXPECT_EQ(QSettings().value(PROFILE_KEY).toString().toStdString(), first.string()) << "written on closing";
}

TEST_F(SettingDialog, BrowsingReplacesTheHeadsAndCancellingKeepsThem) {
    // The chooser opens in the remembered file's folder.
    QSettings().setValue(PROFILE_KEY, QString::fromStdString((dir / "gone.csv").string()));
    CSettingDlg dialog(*doc, connection.link.get());
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
    Press(dialog, "ch.1");
    EXPECT_EQ(SensorName(doc->deviceInfo(), 0), "ONLY");
    EXPECT_EQ(SensorCoefficients(doc->deviceInfo(), 0), (SensorCoefficientSet{9, 8, 0, 0, 0, 0}));
}

TEST_F(SettingDialog, TheFootLineSaysWhenTheUploadFailed) {
    SilentLink silent;
    SimulatedLink unplugged(SimulatorSettings{});
    unplugged.unplug();
    const struct {
        const char* what;
        ByteLink* link;
        bool deviceInfoRead;
        QString foot;
    } cases[] = {
        {"silent logger", &silent, true, QStringLiteral("ch.1 書き込み失敗: 応答がありません")},
        {"port gone", &unplugged, true, QStringLiteral("ch.1 書き込み失敗: ポートが失われました")},
        {"no logger", nullptr, true, QStringLiteral("ch.1 未送信: ロガー未接続")},
        {"block never read", connection.link.get(), false, QStringLiteral("ch.1 未送信: ロガーの装置情報を読み出せていません")},
    };
    QSettings().setValue(PROFILE_KEY, QString::fromStdString(first.string()));
    const DeviceInfoBlock stored = logger().model().deviceInfo();
    for (const auto& c : cases) {
        CSettingDlg dialog(*doc, c.link, c.deviceInfoRead);
        Select(dialog, 2);
        Press(dialog, "ch.1");
        EXPECT_EQ(FootLine(dialog), c.foot) << c.what;
        // The document keeps the assignment all the same.
        EXPECT_EQ(SensorName(doc->deviceInfo(), 0), "HEAD-C") << c.what;
        EXPECT_EQ(PageLines(dialog).front(), HardwareLine(0)) << c.what;
    }
    EXPECT_EQ(logger().model().deviceInfo().bytes, stored.bytes) << "nothing reached the logger";
}

TEST_F(SettingDialog, UploadsDuringADownloadLeaveEveryRecordIntact) {
    QSettings().setValue(PROFILE_KEY, QString::fromStdString(first.string()));
    SimulatedLink& wire = logger();
    Session session;
    LoggerSession download(session, ConnectOnce(std::move(connection.link), "SIM"));
    ASSERT_TRUE(download.connect().ok());
    CSettingDlg dialog(*doc, download.link());
    QTimer ticks;
    ticks.setSingleShot(true);
    int uploadsWhileDownloading = 0;
    auto upload = [&](int row, const char* button) {
        if (download.busy()) ++uploadsWhileDownloading;
        Select(dialog, row);
        Press(dialog, button);
    };
    QObject::connect(&ticks, &QTimer::timeout, [&] {
        const SessionStep step = download.step();
        // Clicks queued behind this tick, as the user's would be.
        if (step.done == 5) QTimer::singleShot(0, &dialog, [&] { upload(0, "ch.2"); });
        if (step.done == 20) QTimer::singleShot(0, &dialog, [&] { upload(2, "ch.1"); });
        if (step.rearm) {
            ticks.start(*step.rearm);
        } else {
            dialog.accept();
        }
    });
    ticks.start(*download.startDownload().delay);
    QTimer::singleShot(20000, &dialog, &QDialog::reject);  // never hang the test
    EXPECT_EQ(dialog.exec(), QDialog::Accepted);

    EXPECT_EQ(uploadsWhileDownloading, 2);
    const SimulatedContent content(40, 3);
    ASSERT_EQ(session.doc().recordCount(), 40);
    for (int i = 0; i < 40; ++i) EXPECT_EQ(session.doc().record(i).bytes, content.record(i).bytes) << "record " << i;
    EXPECT_EQ(wire.model().recordReplies(), 40) << "no record needed a second attempt";
    EXPECT_EQ(SensorName(wire.model().deviceInfo(), 0), "HEAD-C");
    EXPECT_EQ(SensorName(wire.model().deviceInfo(), 1), "HEAD-A");
    EXPECT_EQ(wire.model().deviceInfo().bytes, doc->deviceInfo().bytes);
}

}  // namespace
}  // namespace varnelo
