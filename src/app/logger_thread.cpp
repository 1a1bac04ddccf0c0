#include "app/logger_thread.h"

#include <QTimer>
#include <chrono>
#include <type_traits>

#include "device/record_download.h"

namespace varnelo {

// The logger thread's side: the session, and the timer that paces its steps.
class LoggerWorker : public QObject {
    Q_OBJECT
public:
    LoggerWorker(LoggerThread& owner, LoggerSession::Connector connector, std::shared_ptr<LinkInterrupt> interrupt)
        : m_owner(owner), m_connector(std::move(connector)), m_interrupt(std::move(interrupt)) {}

    LoggerSession& session() { return *m_session; }

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
        if (m_session->busy()) (void)m_session->stop();
        m_interrupt->clear();
        reply(0, {});
    }

    // The session goes, and its port with it, on the thread that opened it.
    void finish() {
        delete m_tick;
        m_tick = nullptr;
        m_session.reset();
        // Passed under the lock, so that the window's thread, which deletes
        // this object next, sees everything done here.
        const std::lock_guard lock(m_owner.m_mutex);
        m_owner.m_requests.clear();
    }

    // The state first, if it changed, so that the answer finds it there;
    // then the answer, shown only while request is the one under way
    // (request < 0: always).
    void reply(int request, std::function<void(LoggerThread&)> answer) {
        std::optional<std::optional<LoggerState>> snapshot;
        if (m_session->stateVersion() != m_reportedVersion) {
            m_reportedVersion = m_session->stateVersion();
            snapshot.emplace(m_session->state() ? std::optional<LoggerState>(*m_session->state()) : std::nullopt);
        }
        const int connections = m_session->connections();
        {
            const std::lock_guard lock(m_owner.m_mutex);
            m_owner.m_answers.push_back([=, snapshot = std::move(snapshot)](LoggerThread& owner) {
                if (snapshot) {
                    owner.m_state = *snapshot;
                    owner.m_connections = connections;
                    emit owner.stateChanged();
                }
                if (answer && (request == owner.m_current || request < 0)) answer(owner);
            });
        }
        QMetaObject::invokeMethod(&m_owner, "takeAnswers", Qt::QueuedConnection);
    }

public slots:
    void takeRequests() {
        if (m_session == nullptr) {
            // Made here, so that the session and the timer belong to this thread.
            m_session = std::make_unique<LoggerSession>(std::move(m_connector));
            m_tick = new QTimer(this);
            m_tick->setSingleShot(true);
            // Fifteen thousand 10 ms waits: a coarse timer's slack would add minutes.
            m_tick->setTimerType(Qt::PreciseTimer);
            connect(m_tick, &QTimer::timeout, this, &LoggerWorker::tick);
        }
        for (;;) {
            std::function<void()> request;
            {
                const std::lock_guard lock(m_owner.m_mutex);
                if (m_owner.m_requests.empty()) return;
                request = std::move(m_owner.m_requests.front());
                m_owner.m_requests.pop_front();
            }
            request();
        }
    }

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
        if (m_session == nullptr || !m_session->busy()) return;
        arm(DOWNLOAD_STEP_DELAY, true);
        SessionStep step = m_session->step();
        if (!step.rearm) {
            m_tick->stop();
        } else if (*step.rearm != DOWNLOAD_STEP_DELAY) {
            arm(*step.rearm, false);
        }
        reply(m_request, [step = std::move(step)](LoggerThread& owner) { emit owner.stepped(step); });
    }

    LoggerThread& m_owner;
    LoggerSession::Connector m_connector;
    std::shared_ptr<LinkInterrupt> m_interrupt;
    std::unique_ptr<LoggerSession> m_session;
    QTimer* m_tick = nullptr;
    std::chrono::steady_clock::time_point m_due;
    int m_request = 0;
    int m_reportedVersion = -1;
};

LoggerThread::LoggerThread(LoggerSession::Connector connector, std::shared_ptr<LinkInterrupt> interrupt,
                           QObject* parent)
    : QObject(parent), m_interrupt(std::move(interrupt)) {
    m_thread.setObjectName(QStringLiteral("logger"));
    m_worker = new LoggerWorker(*this, std::move(connector), m_interrupt);
    m_worker->moveToThread(&m_thread);
    m_thread.start();
    // Nothing to do yet but make the session on its thread.
    QMetaObject::invokeMethod(m_worker, "takeRequests", Qt::QueuedConnection);
}

LoggerThread::~LoggerThread() {
    m_current = 0;
    m_interrupt->raise();
    {
        const std::lock_guard lock(m_mutex);
        m_requests.push_back([worker = m_worker] { worker->finish(); });
    }
    QMetaObject::invokeMethod(m_worker, "takeRequests", Qt::BlockingQueuedConnection);
    m_thread.quit();
    m_thread.wait();
    const std::lock_guard lock(m_mutex);
    delete m_worker;
}

void LoggerThread::post(std::function<void(LoggerWorker&, int)> request, bool numbered) {
    const int number = numbered ? ++m_lastRequest : -1;
    if (numbered) m_current = number;
    {
        const std::lock_guard lock(m_mutex);
        m_requests.push_back([worker = m_worker, number, request = std::move(request)] { request(*worker, number); });
    }
    QMetaObject::invokeMethod(m_worker, "takeRequests", Qt::QueuedConnection);
}

void LoggerThread::takeAnswers() {
    for (;;) {
        std::function<void(LoggerThread&)> answer;
        {
            const std::lock_guard lock(m_mutex);
            if (m_answers.empty()) return;
            answer = std::move(m_answers.front());
            m_answers.pop_front();
        }
        answer(*this);
    }
}

void LoggerThread::connectLogger(bool fresh) {
    post([fresh](LoggerWorker& worker, int request) {
        Status report = fresh ? worker.session().connect() : worker.session().ensureConnected();
        worker.reply(request, [report = std::move(report)](LoggerThread& owner) { emit owner.connectionMade(report); });
    });
}

void LoggerThread::startDownload() {
    post([](LoggerWorker& worker, int request) { worker.begin(request, worker.session().startDownload()); });
}

void LoggerThread::startAppend(const AppendBase& base) {
    // The window's append keeps nothing of a stopped one: a file is never
    // extended by part of what the logger has.
    post([base](LoggerWorker& worker, int request) { worker.begin(request, worker.session().startAppend(false, base)); });
}

void LoggerThread::upload(const DeviceInfoBlock& block) {
    post(
        [block](LoggerWorker& worker, int request) {
            Status sent = worker.session().upload(block);
            worker.reply(request, [sent = std::move(sent)](LoggerThread& owner) { emit owner.uploaded(sent); });
        },
        false);
}

void LoggerThread::stop() {
    m_current = 0;
    m_interrupt->raise();
    post([](LoggerWorker& worker, int) { worker.halt(); }, false);
}

}  // namespace varnelo

#include "logger_thread.moc"
