#pragma once
// The logger session on a thread of its own, so that the window never
// waits on the logger: a silent port costs the user seconds, never a frozen
// window. The window sends requests (connect, download, append, upload,
// stop); what the session answers comes back as signals on the window's
// thread, where the window alone touches the document.
//
// Invariants:
// - The session, its link and its port live and die on the logger thread;
//   the window holds only a copy of what the connection read (state()).
// - Every request but an upload is numbered; stop() forgets the one under
//   way at once, so a late answer of it is never shown, and raises the
//   link's interrupt, so that even an exchange waiting on a silent logger
//   ends within a few milliseconds. The job then ends on a fault, and the
//   next one connects afresh: a late reply cannot pass for its own.
// - The steps of a job come a period apart, counted from when each was due,
//   as from a periodic timer.
// - Requests and answers cross between the threads only through two queues
//   under one std::mutex; Qt's queued calls carry no data, they only wake
//   the other side to empty its queue. What crosses is thereby ordered in a
//   way ThreadSanitizer sees, whatever Qt does inside.

#include <QObject>
#include <QThread>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

#include "device/interruptible_link.h"
#include "session/logger_session.h"

namespace varnelo {

class LoggerWorker;

class LoggerThread : public QObject {
    Q_OBJECT
public:
    // connector opens the logger on the logger thread; its links must
    // honour interrupt (see InterruptibleLink).
    LoggerThread(LoggerSession::Connector connector, std::shared_ptr<LinkInterrupt> interrupt,
                 QObject* parent = nullptr);
    // Ends the job under way and the thread, and waits for both: no more
    // than an interrupted exchange takes.
    ~LoggerThread() override;

    // A new connection (fresh), or one only where the session needs it.
    void connectLogger(bool fresh);
    void startDownload();
    void startAppend(const AppendBase& base);
    void upload(const DeviceInfoBlock& block);
    // Ends what is under way now: connecting or a job. Nothing more of it
    // is reported.
    void stop();

    // What the last connection read, as last reported; null: no connection.
    const LoggerState* state() const { return m_state ? &*m_state : nullptr; }
    bool connected() const { return m_state.has_value(); }
    // Connections made so far, answered or not.
    int connections() const { return m_connections; }

signals:
    void connectionMade(const varnelo::Status& report);
    void jobStarted(const varnelo::JobStart& start);
    void stepped(const varnelo::SessionStep& step);
    void uploaded(const varnelo::Status& sent);
    // state() changed.
    void stateChanged();

private slots:
    // Runs the answers that have come from the logger thread.
    void takeAnswers();

private:
    friend class LoggerWorker;
    // Runs request on the logger thread; numbered requests (all but an
    // upload's) become the one whose answers are shown.
    void post(std::function<void(LoggerWorker&, int)> request, bool numbered = true);

    QThread m_thread;
    LoggerWorker* m_worker = nullptr;
    std::mutex m_mutex;  // guards the two queues
    std::deque<std::function<void()>> m_requests;
    std::deque<std::function<void(LoggerThread&)>> m_answers;
    std::shared_ptr<LinkInterrupt> m_interrupt;
    int m_lastRequest = 0;
    int m_current = 0;  // the request whose answers are shown; 0: none
    std::optional<LoggerState> m_state;
    int m_connections = 0;
};

}  // namespace varnelo
