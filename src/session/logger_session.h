#pragma once
// The one owner of a logger: its link, what the connection read, and the
// job under way (a full download, or only the new records, or a channel
// upload). The window's logger thread steps it with the periods the delays
// say; the command line steps it back to back. Whoever steps it only shows what each step says:
// no rule about the logger lives anywhere else.
//
//   idle --startDownload()/startAppend()--> [connect when needed] --> one exchange pair per step() --> idle
//
// Made with a Session, it fills that session's document itself (the command
// line, tests). Made without one it touches no document at all: each record
// step carries the record, and a DocumentFeed on the document's own thread
// takes it (the window, whose session runs on a thread of its own).
//
// The document changes only when the job's first record has arrived:
// until then a connection that fails, a port that has gone or a refusal
// leaves it, its name and its records exactly as they were. From then on
// its count is always the records complete so far, so whatever is drawn or
// computed meanwhile describes records that are really there.

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "data/document.h"
#include "device/connection.h"
#include "device/record_append.h"
#include "device/record_download.h"
#include "session/session.h"

namespace varnelo {

enum class LoggerJob { None, Download, Append };


struct SessionStep {
    enum class Kind {
        Idle,          // nothing under way
        Exchanged,     // an exchange of the job's own was made (the count read again, the check passed)
        Record,        // record `record` arrived and is listed as `label`
        Completed,     // every record is in
        Stopped,       // a fault at record `record` (or the stop control); the document keeps `kept`
        Refused,       // an append that `refusal` forbids: nothing changed
        NotConnected,  // no logger answered (`connect` says why): nothing changed beyond what was kept
    };
    Kind kind = Kind::Idle;
    LoggerJob job = LoggerJob::None;
    int record = -1;     // counted from the document's first record
    int done = 0;        // records of this job complete after the step
    int total = 0;       // records the job brings (an append: once the count is read again)
    bool first = false;  // Record: the document began anew with it (a full download: untitled now)
    bool reconnected = false;  // the port had gone and was connected again on the way
    bool cancelled = false;    // Stopped by stop(), not by a fault
    int kept = 0;              // Stopped: records of this job the document keeps
    std::string label;
    // Record, of a session without a document: the record itself, whole.
    std::shared_ptr<const MeasurementRecord> bytes;
    // Stopped by a fault: the exchange that failed, at `record` (-1: the
    // count read again), the append's check of record k-1 when atCheck.
    std::optional<Status> exchange;
    bool atCheck = false;
    AppendRefusal refusal = AppendRefusal::None;
    Status connect;  // NotConnected; Stopped: no logger answered after the port went
    std::optional<std::chrono::milliseconds> rearm;  // when to step again; empty once the job is over
};

// Where and why a job stopped, in English: "record 7: record read (command
// 16): 3364 of 6728 reply bytes arrived in time"; "stopped" for the stop control.
std::string DescribeStop(const SessionStep& step);

// What a start says: the delay before the first step, or why nothing starts.
struct JobStart {
    std::optional<std::chrono::milliseconds> delay;
    SessionStep refused;  // without a delay: NotConnected or Refused, nothing changed
};

class LoggerSession;
class DocumentFeed;

// What an append checks the logger against: how many records the document
// holds, and a copy of its last one.
struct AppendBase {
    int kept = 0;
    MeasurementRecord last{};
};
AppendBase AppendBaseOf(const CVarneloDoc& doc);

// A link that is open already (the in-process simulated logger, a test's
// link): the first connection gets it, every later one finds no logger.
std::function<ConnectOutcome()> ConnectOnce(std::unique_ptr<ByteLink> link, std::string portName);

class LoggerSession {
public:
    // Opens the logger afresh: discovery, an explicit port, or the simulated one.
    using Connector = std::function<ConnectOutcome()>;

    // Fills session's document as the steps come.
    LoggerSession(Session& session, Connector connector);
    // Touches no document: the records travel in the steps.
    explicit LoggerSession(Connector connector);
    ~LoggerSession();
    LoggerSession(const LoggerSession&) = delete;
    LoggerSession& operator=(const LoggerSession&) = delete;

    // The start-up connection, or a new one: whatever talked to the old
    // port goes first. The logger's blocks stay the session's (state()).
    Status connect();
    // Connects when there is no port, it has gone, its count was never
    // read, or the last job stopped on a fault (or was refused for want of
    // the parameter block); else keeps the one there is.
    Status ensureConnected();

    bool connected() const { return m_connection.has_value(); }
    // Grows with each connection made, answered or not.
    int connections() const { return m_connections; }
    // What the connection read; null when none.
    LoggerState* state() { return m_connection ? &m_connection->state : nullptr; }
    const LoggerState* state() const { return m_connection ? &m_connection->state : nullptr; }
    // Empty when there is no connection.
    const std::string& portName() const;
    // Grows each time what state() holds changes: a connection, the count
    // read again, an upload.
    int stateVersion() const { return m_stateVersion; }

    // Every record of the logger, counted at the connection, into a new
    // untitled document (from the first record on). Refused (NotConnected)
    // unless the connection read the parameter block, which the records'
    // file needs.
    JobStart startDownload();
    // Only the records the document lacks, after the logger's count is
    // read again and its record k-1 is byte for byte the document's (the
    // base's). A stop appends nothing unless keepPartial.
    JobStart startAppend(bool keepPartial, const AppendBase& base);
    // The base of the session's own document.
    JobStart startAppend(bool keepPartial);

    // Sends the device information block (command 139): the channel
    // upload. Refused unless the connection read the logger's block, since
    // a block from elsewhere would overwrite the other channel. With verify
    // the block is read back (command 6); a difference or a failed read
    // names command 6. Once sent, state() holds the block.
    Status upload(const DeviceInfoBlock& block, bool verify = false);

    bool busy() const { return m_job != LoggerJob::None; }
    bool keepsPartial() const { return m_job == LoggerJob::Download || m_keepPartial; }

    SessionStep step();
    // Ends the job between two steps, as a fault would: a download keeps its
    // complete records, an append only with keepPartial.
    SessionStep stop();

private:
    enum class Phase { Count, Check, Fetch };

    SessionStep stepDownload(SessionStep result);
    SessionStep stepAppend(SessionStep result);
    SessionStep stepCount(SessionStep result);
    SessionStep stepCheck(SessionStep result);
    // Fetches record `index` into `into`; a port found gone is connected
    // again once per job and the record asked for again.
    RecordFetch fetch(int index, MeasurementRecord& into, SessionStep& result);
    SessionStep end(SessionStep result);
    SessionStep stopped(SessionStep result, std::optional<Status> failure, bool atCheck = false);
    SessionStep notConnected(SessionStep result, Status report);
    SessionStep newStep() const;

    Session* m_session = nullptr;
    std::unique_ptr<DocumentFeed> m_feed;
    Connector m_connector;
    int m_stateVersion = 0;
    std::optional<LoggerConnection> m_connection;
    bool m_faulted = false;  // the last job stopped on a failed exchange
    int m_connections = 0;

    LoggerJob m_job = LoggerJob::None;
    Phase m_phase = Phase::Fetch;
    bool m_keepPartial = false;
    bool m_began = false;        // the job's first record is in the document
    bool m_reconnected = false;  // once per job
    int m_first = 0;             // the document's first record this job brings
    int m_next = 0;
    int m_end = 0;
    MeasurementRecord m_staging{};  // the record under way, until it is whole
    MeasurementRecord m_lastKept{};  // an append's base: what record k-1 must be
};

}  // namespace varnelo
