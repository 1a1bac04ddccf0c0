#pragma once
// What the desktop program's tests share: one offscreen application with a
// profile of its own, waiting for the event loop, and answering the modal
// dialogs a command brings up as a user would.

#include <sys/resource.h>

#include <gtest/gtest.h>

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <atomic>
#include <csignal>
#include <functional>
#include <memory>

#include "app/main_frame.h"
#include "app/varnelo_view.h"
#include "launch/logger_options.h"
#include "launch/path_text.h"
#include "session/session.h"
#include "simulator/simulated_content.h"
#include "simulator/simulated_link.h"

namespace varnelo::test {

// The one application of the test program: made before the first test,
// gone after the last, while Qt's own globals are still there.
class ApplicationEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        m_app = std::make_unique<QApplication>(m_argc, m_argv);
        QStandardPaths::setTestModeEnabled(true);
        // A profile folder of this process's own: test programs run side by side.
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_profile.path());
        QCoreApplication::setOrganizationName(QStringLiteral("VarneloTests"));
        QCoreApplication::setApplicationName(QStringLiteral("app_tests"));
    }
    void TearDown() override { m_app.reset(); }

private:
    int m_argc = 1;
    char m_name[10] = "app_tests";
    char* m_argv[2] = {m_name, nullptr};
    std::unique_ptr<QApplication> m_app;
    QTemporaryDir m_profile;
};

inline ::testing::Environment* const APPLICATION_ENVIRONMENT =
    ::testing::AddGlobalTestEnvironment(new ApplicationEnvironment);

// Every test starts from an empty profile.
inline void FreshApplication() { QSettings().clear(); }

// Runs answer on every modal widget of type T that is shown while the
// object lives, once each. Keep it alive until the command that brings the
// dialogs up has returned; answered() tells whether any came.
template <class T>
class ModalAnswer {
public:
    explicit ModalAnswer(std::function<void(T&)> answer) : m_answer(std::move(answer)) {
        QObject::connect(&m_poll, &QTimer::timeout, [this] {
            auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget());
            if (dialog == nullptr || !dialog->isVisible() || dialog == m_last) return;
            m_last = dialog;
            ++m_answers;
            m_answer(*dialog);
        });
        m_poll.start(5);
    }
    bool answered() const { return m_answers > 0; }
    int answers() const { return m_answers; }

private:
    std::function<void(T&)> m_answer;
    QTimer m_poll;
    QPointer<T> m_last;
    int m_answers = 0;
};

// Chooses path in a file dialog as a user typing it whole would, and
// accepts it. selectFile() clears the list's selection, but leaves the name
// field alone while the field has the focus, which the dialog gives it at
// some moment after it shows: the dialog would then take its folder for the
// answer, stay open, and the test wait for ever.
inline void ChooseFile(QFileDialog& dialog, const QString& path) {
    dialog.selectFile(path);
    dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(path);
    static_cast<QDialog&>(dialog).accept();  // the file dialog's own accept checks the name
}

// A file size limit for this process while the object lives: writes past
// it fail as on a full disk (with EFBIG instead of a signal).
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &m_previous);
        m_previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = m_previous;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &m_previous);
        std::signal(SIGXFSZ, m_previousHandler);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit m_previous{};
    void (*m_previousHandler)(int) = SIG_DFL;
};

// Makes a temporary folder the current one for the life of the object, so
// that file dialogs open there rather than wherever the tests were started.
class CurrentFolder {
public:
    explicit CurrentFolder(const QString& path) : m_previous(QDir::currentPath()) { QDir::setCurrent(path); }
    ~CurrentFolder() { QDir::setCurrent(m_previous); }
    CurrentFolder(const CurrentFolder&) = delete;
    CurrentFolder& operator=(const CurrentFolder&) = delete;

private:
    QString m_previous;
};

// A file name as the window's dialogs and lists show it.
inline QString PathText(const std::filesystem::path& path) { return FromPath(path); }

// The simulated logger in-process, with `records` records of this seed.
inline LoggerChoice SimulatedLogger(int records, std::uint32_t seed, FaultPlan faults = {}) {
    LoggerChoice choice;
    choice.kind = LoggerChoice::Kind::Simulated;
    choice.simulator = SimulatorSettings{records, seed, faults};
    return choice;
}

// A logger behind a port path, whether anything is there or not.
inline LoggerChoice LoggerAtPort(const std::string& port) {
    LoggerChoice choice;
    choice.kind = LoggerChoice::Kind::Port;
    choice.port = QString::fromStdString(port);
    return choice;
}

// A data file of the first `count` records of the simulated logger with this seed.
// The lines a list widget shows, in order.
inline QStringList ListLines(const QListWidget* list) {
    QStringList lines;
    for (int i = 0; i < list->count(); ++i) lines << list->item(i)->text();
    return lines;
}

inline void WriteSimulatedDataFile(const std::filesystem::path& path, int count, std::uint32_t seed) {
    Session session;
    const SimulatedContent content(count, seed);
    session.doc().parameterBlock() = content.parameters();
    for (int i = 0; i < count; ++i) session.doc().record(i) = content.record(i);
    session.doc().setRecordCount(count);
    ASSERT_TRUE(session.save(path));
}

// Lets the event loop run until done() holds or the time is up.
inline bool WaitFor(const std::function<bool()>& done, int milliseconds = 10000) {
    return QTest::qWaitFor(done, milliseconds);
}

// The window connects on its logger thread: what the connection read is
// there once its answer has come.
inline bool StartAndConnect(CMainFrame& frame, const QString& file = {}) {
    return frame.start(file) && WaitFor([&] { return !frame.view()->busy(); }, 30000);
}

// The simulated logger the window's thread connected to last: its cable and memory.
using SimulatorSeen = std::shared_ptr<std::atomic<SimulatedLink*>>;
inline LoggerChoice Watched(LoggerChoice choice, const SimulatorSeen& seen) {
    choice.simulatorOpened = [seen](SimulatedLink& link) { *seen = &link; };
    return choice;
}

}  // namespace varnelo::test
