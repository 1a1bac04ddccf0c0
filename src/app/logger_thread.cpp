#include "app/logger_thread.h"

#include <QTimer>
#include <chrono>
#include <type_traits>

#include "device/record_download.h"

namespace varnelo {

class LoggerThread::Worker : public QObject {
public:
    Worker(LoggerThread& owner, LoggerSession::Connector connector, std::shared_ptr<LinkInterrupt> interrupt)
        : session(std::move(connector)), m_owner(owner), m_interrupt(std::move(interrupt)) {
        m_tick->setSingleShot(true);
        // Fifteen thousand 10 ms waits: a coarse timer's slack would add minutes.
        m_tick->setTimerType(Qt::PreciseTimer);
        connect(m_tick, &QTimer::timeout, this, &Worker::tick);
    }

    // Everything below runs on the logger thread.

    void begin(int request, const JobStart& start) {
        if (start.delay) {
            m_request = request;
            arm(*start.delay, false);
        }
        reply(request, [start](LoggerThread& owner) { emit owner.jobStarted(start); });
    }

    // Ends the job as a stop would; the interrupt has done its work once
    // the session is idle again.
    void halt() {
        m_tick->stop();
        if (session.busy()) (void)session.stop();
        m_interrupt->clear();
        reply(0, nullptr);
    }

    // The state first, if it changed, so that the answer finds it there.
    template <typename Fn>
    void reply(int request, Fn&& fn) {
        std::optional<std::optional<LoggerState>> snapshot;
        if (session.stateVersion() != m_reportedVersion) {
            m_reportedVersion = session.stateVersion();
            snapshot.emplace(session.state() ? std::optional<LoggerState>(*session.state()) : std::nullopt);
        }
        const int connections = session.connections();
        QMetaObject::invokeMethod(
            &m_owner,
            [owner = &m_owner, request, connections, snapshot = std::move(snapshot), fn = std::forward<Fn>(fn)] {
                if (snapshot) {
                    owner->m_state = *snapshot;
                    owner->m_connections = connections;
                    emit owner->stateChanged();
                }
                if constexpr (!std::is_same_v<std::decay_t<Fn>, std::nullptr_t>) {
                    if (request == owner->m_current || request < 0) fn(*owner);
                }
            },
            Qt::QueuedConnection);
    }

    LoggerSession session;

private:
    void arm(std::chrono::milliseconds delay, bool fromDueTick) {
        // Counted from when the last tick was due rather than from when it
        // came, so that the loop's waking late does not add up over the records.
        const auto now = std::chrono::steady_clock::now();
        const bool onTime = fromDueTick && now - m_due < delay;
        m_due = (onTime ? m_due : now) + delay;
        m_tick->start(std::chrono::floor<std::chrono::milliseconds>(m_due - now));
    }

    void tick() {
        if (!session.busy()) return;
        arm(DOWNLOAD_STEP_DELAY, true);
        SessionStep step = session.step();
        if (!step.rearm) {
            m_tick->stop();
        } else if (*step.rearm != DOWNLOAD_STEP_DELAY) {
            arm(*step.rearm, false);
        }
        reply(m_request, [step = std::move(step)](LoggerThread& owner) { emit owner.stepped(step); });
    }

    LoggerThread& m_owner;
    std::shared_ptr<LinkInterrupt> m_interrupt;
    QTimer* m_tick = new QTimer(this);
    std::chrono::steady_clock::time_point m_due;
    int m_request = 0;
    int m_reportedVersion = -1;
};

LoggerThread::LoggerThread(LoggerSession::Connector connector, std::shared_ptr<LinkInterrupt> interrupt,
                           QObject* parent)
    : QObject(parent), m_interrupt(std::move(interrupt)) {
    m_thread.setObjectName(QStringLiteral("logger"));
    m_worker = new Worker(*this, std::move(connector), m_interrupt);
    m_worker->moveToThread(&m_thread);
    m_thread.start();
}

LoggerThread::~LoggerThread() {
    m_current = 0;
    m_interrupt->raise();
    // The session closes its port on the thread that opened it.
    QMetaObject::invokeMethod(m_worker, [worker = m_worker] { delete worker; }, Qt::BlockingQueuedConnection);
    m_thread.quit();
    m_thread.wait();
}

template <typename Fn>
void LoggerThread::post(Fn&& fn) {
    m_current = ++m_lastRequest;
    QMetaObject::invokeMethod(m_worker, [worker = m_worker, request = m_current, fn = std::forward<Fn>(fn)] {
        fn(*worker, request);
    }, Qt::QueuedConnection);
}

void LoggerThread::connectLogger(bool fresh) {
    post([fresh](Worker& worker, int request) {
        Status report = fresh ? worker.session.connect() : worker.session.ensureConnected();
        worker.reply(request, [report = std::move(report)](LoggerThread& owner) { emit owner.connectionMade(report); });
    });
}

void LoggerThread::startDownload() {
    post([](Worker& worker, int request) { worker.begin(request, worker.session.startDownload()); });
}

void LoggerThread::startAppend(const AppendBase& base) {
    // The window's append keeps nothing of a stopped one: a file is never
    // extended by part of what the logger has.
    post([base](Worker& worker, int request) { worker.begin(request, worker.session.startAppend(false, base)); });
}

void LoggerThread::upload(const DeviceInfoBlock& block) {
    QMetaObject::invokeMethod(m_worker, [worker = m_worker, block] {
        Status sent = worker->session.upload(block);
        worker->reply(-1, [sent = std::move(sent)](LoggerThread& owner) { emit owner.uploaded(sent); });
    }, Qt::QueuedConnection);
}

void LoggerThread::stop() {
    m_current = 0;
    m_interrupt->raise();
    QMetaObject::invokeMethod(m_worker, [worker = m_worker] { worker->halt(); }, Qt::QueuedConnection);
}

}  // namespace varnelo
