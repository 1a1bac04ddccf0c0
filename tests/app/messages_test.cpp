// Every way an exchange, a job, a connection or a data file can fail,
// worded in each language: the whole message in that language, the numbers
// kept, and each file problem told apart from the others.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <cstring>

#include <sys/stat.h>

#include <QMessageBox>
#include <QStatusBar>
#include <set>

#include "app/file_messages.h"
#include "app/language.h"
#include "app/logger_messages.h"
#include "app/main_frame.h"
#include "app_test_support.h"
#include "io/file_lock.h"
#include "support/test_support.h"

namespace varnelo {
namespace {

bool HasJapanese(const QString& text) {
    return std::any_of(text.begin(), text.end(), [](QChar c) { return c.unicode() >= 0x3000; });
}
// A word of English: three Latin letters in a row.
bool HasEnglish(const QString& text) {
    int run = 0;
    for (const QChar c : text) {
        run = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') ? run + 1 : 0;
        if (run >= 3) return true;
    }
    return false;
}

TEST(LoggerMessages, EveryFailureIsWordedWhollyInTheWindowsLanguage) {
    test::FreshApplication();
    using S = Status::Kind;
    std::vector<SessionStep> steps;
    for (const auto status : {S::ExchangeRefused, S::WriteShort, S::ReplyShort, S::ReplyLong}) {
        for (const bool gone : {false, true}) {
            for (const auto command : {DeviceCommand::CMD_READ_IDENT_A, DeviceCommand::CMD_READ_IDENT_B,
                                       DeviceCommand::CMD_READ_DEVICE_INFO, DeviceCommand::CMD_READ_PARAMETERS,
                                       DeviceCommand::CMD_READ_RECORD, DeviceCommand::CMD_READ_RECORD_COUNT,
                                       DeviceCommand::CMD_WRITE_DEVICE_INFO, DeviceCommand::CMD_SELECT_RECORD}) {
                SessionStep step;
                step.exchange = ExchangeStatus(command, gone ? S::PortGone : status, 6728, 3364);
                steps.push_back(step);
            }
        }
    }
    SessionStep goneForGood;
    goneForGood.exchange = ExchangeStatus(DeviceCommand::CMD_SELECT_RECORD, S::PortGone);
    Status noLogger{S::NoLogger, "no logger found"};
    noLogger.portsSeen = 3;
    goneForGood.connect = noLogger;
    steps.push_back(goneForGood);
    steps.push_back(SessionStep{});  // the stop control

    LoggerState silent;
    silent.failures.push_back(ExchangeStatus(DeviceCommand::CMD_READ_RECORD_COUNT, S::ReplyShort, 4, 0));
    std::vector<Status> reports = {noLogger, Status{S::NoAnswer, ""}};
    using C = Status::Cause;
    for (const auto cause : {C::PortMissing, C::PortPermission, C::PortInUse, C::PortNotSerial, C::PortRawRefused})
        reports.push_back(PortRefusal("/dev/ttyACM0", "", cause));

    for (const char* code : {"ja", "en"}) {
        InstallLanguage(QString::fromLatin1(code));
        const bool japanese = QLatin1String(code) == QLatin1String("ja");
        std::vector<QString> said;
        for (const SessionStep& step : steps) said.push_back(LoggerMessages::stopCause(step));
        for (const Status& report : reports) said.push_back(LoggerMessages::connection(report, &silent));
        for (const QString& text : said) {
            EXPECT_FALSE(text.isEmpty());
            EXPECT_EQ(HasJapanese(text), japanese) << code << ": " << text.toStdString();
            // Names are no words of either language: "USB", the logger's id, a
            // port, the group and the rule that open it, the terminal's mode.
            QString words = text;
            for (const char* name : {"VID_0C2B&PID_08B0", "USB", "/dev/ttyACM0", "dialout", "udev", "raw"})
                words.remove(QLatin1String(name));
            EXPECT_EQ(HasEnglish(words), !japanese)
                << code << ": " << text.toStdString();
        }
        EXPECT_TRUE(said[2 * 8 + 0].contains(QStringLiteral("3364")) && said[2 * 8 + 0].contains(QStringLiteral("6728")))
            << said[16].toStdString();
    }
    InstallLanguage(QStringLiteral("ja"));
}

TEST(FileMessages, EveryFileProblemSaysWhyInTheWindowsLanguage) {
    test::FreshApplication();
    test::TempDir dir;
    const auto header = [](std::int32_t count, std::size_t records) {
        std::vector<std::uint8_t> bytes(DataFileSize(0) + records * BLOCK_SIZE, 0);
        std::memcpy(bytes.data() + BLOCK_SIZE, &count, sizeof count);
        return bytes;
    };
    test::WriteFileBytes(dir / "short.vrnldata", {1, 2, 3});
    test::WriteFileBytes(dir / "count.vrnldata", header(-4, 0));
    test::WriteFileBytes(dir / "cut.vrnldata", header(300, 13));
    test::WriteFileBytes(dir / "busy.vrnldata", header(0, 0));
    ::mkfifo((dir / "fifo").c_str(), 0600);
    std::filesystem::create_directory(dir / "folder");
    LockedFile writer;
    ASSERT_TRUE(writer.open(dir / "busy.vrnldata", LockAccess::ReadWrite));

    CVarneloDoc doc;
    std::vector<Status> errors;
    for (const char* name : {"missing.vrnldata", "folder", "short.vrnldata", "count.vrnldata", "cut.vrnldata", "fifo"}) {
        Status error = LoadDataFile(dir / name, doc, Streams::Refuse);
        ASSERT_FALSE(error) << name;
        errors.push_back(error);
    }
    for (const auto& target : {dir / "no-folder" / "a.vrnldata", dir / "busy.vrnldata"}) {
        Status error = SaveDataFile(target, doc);
        ASSERT_FALSE(error) << target;
        errors.push_back(error);
    }
    for (const char* code : {"ja", "en"}) {
        InstallLanguage(QString::fromLatin1(code));
        const bool japanese = QLatin1String(code) == QLatin1String("ja");
        std::set<QString> said;
        for (const Status& error : errors) {
            const QString why = FileMessages::reason(error);
            EXPECT_EQ(HasJapanese(why), japanese) << code << ": " << why.toStdString();
            EXPECT_EQ(HasEnglish(QString(why).remove(QStringLiteral("FIFO"))), !japanese) << code << ": " << why.toStdString();
            said.insert(why);
        }
        EXPECT_EQ(said.size(), errors.size()) << "each problem says its own reason";
        EXPECT_TRUE(FileMessages::reason(errors[4]).contains(QStringLiteral("300")));
    }
    InstallLanguage(QStringLiteral("ja"));

    // The window says why, not only that opening failed.
    CMainFrame frame(test::SimulatedLogger(0, 1));
    ASSERT_TRUE(test::StartAndConnect(frame));
    test::ModalAnswer<QMessageBox> ok([&](QMessageBox& box) { box.accept(); });
    EXPECT_FALSE(frame.openDocument(test::PathText(dir / "missing.vrnldata")));
    const QString said = frame.statusBar()->currentMessage();
    EXPECT_TRUE(said.endsWith(QStringLiteral("missing.vrnldata: ファイルがありません"))) << said.toStdString();
}

}  // namespace
}  // namespace varnelo
