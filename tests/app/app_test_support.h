#pragma once
// What the desktop program's tests share: one offscreen application with a
// profile of its own, waiting for the event loop, and answering the modal
// dialogs a command brings up as a user would.

#include <QApplication>
#include <QCoreApplication>
#include <QSettings>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>

namespace varnelo::test {

// The application, created once; every call starts from an empty profile.
inline void FreshApplication() {
    if (QApplication::instance() == nullptr) {
        static int argc = 1;
        static char name[] = "app_tests";
        static char* argv[] = {name, nullptr};
        static QApplication app(argc, argv);
        QStandardPaths::setTestModeEnabled(true);
        QCoreApplication::setOrganizationName(QStringLiteral("VarneloTests"));
        QCoreApplication::setApplicationName(QStringLiteral("app_tests"));
    }
    QSettings().clear();
}

// Runs answer on the next modal widget of type T once it is shown. Keep the
// object alive until the command that brings the dialog up has returned;
// answered() tells whether the dialog ever came.
template <class T>
class ModalAnswer {
public:
    explicit ModalAnswer(std::function<void(T&)> answer) : m_answer(std::move(answer)) {
        QObject::connect(&m_poll, &QTimer::timeout, [this] {
            if (auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget()); dialog && dialog->isVisible()) {
                m_poll.stop();
                m_answered = true;
                m_answer(*dialog);
            }
        });
        m_poll.start(5);
    }
    bool answered() const { return m_answered; }

private:
    std::function<void(T&)> m_answer;
    QTimer m_poll;
    bool m_answered = false;
};

// Lets the event loop run until done() holds or the time is up.
inline bool WaitFor(const std::function<bool()>& done, int milliseconds = 10000) {
    return QTest::qWaitFor(done, milliseconds);
}

}  // namespace varnelo::test
