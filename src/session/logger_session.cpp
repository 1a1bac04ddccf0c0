#include "session/logger_session.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "data/byte_order.h"
#include "device/device_link.h"
#include "device/device_info_upload.h"
#include "device/record_download.h"
#include "session/document_feed.h"

namespace varnelo {

std::string DescribeStop(const SessionStep& step) {
    if (!step.exchange) return "stopped";
    std::string where = step.record < 0 ? std::string() : "record " + std::to_string(step.record);
    if (step.atCheck) where += " (the check)";
    const bool gone = step.exchange->kind == Status::Kind::PortGone;
    std::string why = gone && !step.connect.ok() ? "the port has gone and " + step.connect.detail : step.exchange->detail;
    return where.empty() ? why : where + ": " + why;
}

std::function<ConnectOutcome()> ConnectOnce(std::unique_ptr<ByteLink> link, std::string portName) {
    auto held = std::make_shared<std::unique_ptr<ByteLink>>(std::move(link));
    return [held, portName = std::move(portName)]() -> ConnectOutcome {
        if (!*held) return {std::nullopt, Status{Status::Kind::NoLogger, "no logger found: " + portName + " has gone"}};
        return {ConnectLink(std::move(*held), portName), {}};
    };
}

AppendBase AppendBaseOf(const CVarneloDoc& doc) {
    AppendBase base;
    base.kept = doc.recordCount();
    if (base.kept > 0) base.last = doc.record(base.kept - 1);
    return base;
}

LoggerSession::LoggerSession(Session& session, Connector connector)
    : m_session(&session), m_feed(std::make_unique<DocumentFeed>(session)), m_connector(std::move(connector)) {}

LoggerSession::LoggerSession(Connector connector) : m_connector(std::move(connector)) {}

LoggerSession::~LoggerSession() = default;

const std::string& LoggerSession::portName() const {
    static const std::string none;
    return m_connection ? m_connection->portName : none;
}

Status LoggerSession::connect() {
    // One port at a time: the old one is closed before discovery looks again.
    m_connection.reset();
    ++m_connections;
    ++m_stateVersion;
    ConnectOutcome outcome = m_connector();
    if (!outcome.connection) return std::move(outcome.status);
    m_connection = std::move(outcome.connection);
    m_faulted = false;
    const LoggerState& state = m_connection->state;
    if (!state.countRead) {
        // The port is kept: what did answer is worth showing.
        const std::string why = state.failures.empty() ? std::string("no answer") : state.failures.front().detail;
        const char* says = state.silent ? " does not answer: " : " did not answer: ";
        return {Status::Kind::NoAnswer, "the logger on " + m_connection->portName + says + why};
    }
    return {};
}

Status LoggerSession::ensureConnected() {
    if (m_connection && !m_connection->link->gone() && m_connection->state.countRead && !m_faulted) return {};
    return connect();
}

SessionStep LoggerSession::newStep() const {
    SessionStep step;
    step.job = m_job;
    step.total = std::max(m_end - m_first, 0);
    step.done = std::clamp(m_next - m_first, 0, step.total);
    return step;
}

JobStart LoggerSession::startDownload() {
    JobStart start;
    if (busy()) return start;
    if (Status report = ensureConnected(); !report) {
        start.refused.kind = SessionStep::Kind::NotConnected;
        start.refused.job = LoggerJob::Download;
        start.refused.connect = std::move(report);
        return start;
    }
    if (const LoggerState& state = m_connection->state; !state.parametersRead) {
        // The records' file needs the logger's parameter block: a zeroed one
        // would be a lie. The next job connects afresh for it.
        m_faulted = true;
        start.refused.kind = SessionStep::Kind::NotConnected;
        start.refused.job = LoggerJob::Download;
        const std::string why = state.failures.empty() ? std::string("no parameter block") : state.failures.front().detail;
        start.refused.connect = {Status::Kind::NoAnswer, "the logger on " + portName() + " did not answer: " + why};
        return start;
    }
    m_job = LoggerJob::Download;
    m_phase = Phase::Fetch;
    m_keepPartial = true;
    m_began = m_reconnected = false;
    m_first = m_next = 0;
    // The count of the connection, as read then: the download never asks again.
    m_end = m_connection->state.recordCount;
    if (m_feed) m_feed->begin(LoggerJob::Download, 0, true);
    start.delay = DOWNLOAD_START_DELAY;
    return start;
}

JobStart LoggerSession::startAppend(bool keepPartial) {
    return startAppend(keepPartial, m_session ? AppendBaseOf(m_session->doc()) : AppendBase{});
}

JobStart LoggerSession::startAppend(bool keepPartial, const AppendBase& base) {
    JobStart start;
    if (busy()) return start;
    start.refused.job = LoggerJob::Append;
    const int kept = base.kept;
    if (kept == 0) {
        start.refused.kind = SessionStep::Kind::Refused;
        start.refused.refusal = AppendRefusal::NoRecords;
        return start;
    }
    // A connection made for this append has just read the count; an older
    // one's is asked for again by the append itself.
    bool fresh = false;
    if (!m_connection || m_connection->link->gone() || m_faulted) {
        Status report = connect();
        if (!report) {
            // Nothing answered the count: blaming a later exchange would mislead.
            start.refused.kind = SessionStep::Kind::NotConnected;
            start.refused.connect = std::move(report);
            return start;
        }
        fresh = true;
    }
    m_job = LoggerJob::Append;
    m_phase = fresh ? Phase::Check : Phase::Count;
    m_keepPartial = keepPartial;
    m_began = m_reconnected = false;
    m_first = m_next = kept;
    m_end = fresh ? m_connection->state.recordCount : kept;
    m_lastKept = base.last;
    if (m_feed) m_feed->begin(LoggerJob::Append, kept, keepPartial);
    start.delay = DOWNLOAD_START_DELAY;
    return start;
}

SessionStep LoggerSession::step() {
    SessionStep result = newStep();
    switch (m_job) {
        case LoggerJob::None: return result;
        case LoggerJob::Download: result = stepDownload(result); break;
        case LoggerJob::Append: result = stepAppend(result); break;
    }
    // The record is taken where it waits: a copy only where it must travel.
    if (m_feed) m_feed->apply(result, state(), &m_staging);
    return result;
}

SessionStep LoggerSession::stepAppend(SessionStep result) {
    switch (m_phase) {
        case Phase::Count: return stepCount(result);
        case Phase::Check: return stepCheck(result);
        case Phase::Fetch: break;
    }
    return stepDownload(result);
}

// The logger may have been refilled, cleared or swapped since the
// connection: the append is judged on what it holds now.
SessionStep LoggerSession::stepCount(SessionStep result) {
    ByteLink& link = *m_connection->link;
    const Status read = RetriedOnce(link, [&] { return ReadRecordCount(link, m_connection->state); });
    if (!read) {
        if (link.gone() && !m_reconnected) {
            m_reconnected = result.reconnected = true;
            Status report = connect();
            if (!report) return notConnected(result, std::move(report));
            // The new connection has just read the count.
            m_end = m_connection->state.recordCount;
        } else {
            result.record = -1;
            return stopped(result, read);
        }
    } else {
        m_end = m_connection->state.recordCount;
        ++m_stateVersion;
    }
    m_phase = Phase::Check;
    result = newStep();
    result.reconnected = m_reconnected;
    result.kind = SessionStep::Kind::Exchanged;
    result.rearm = DOWNLOAD_STEP_DELAY;
    return result;
}

SessionStep LoggerSession::stepCheck(SessionStep result) {
    result.record = m_first - 1;
    auto refuse = [&](AppendRefusal refusal) {
        result.kind = SessionStep::Kind::Refused;
        result.refusal = refusal;
        return end(result);
    };
    if (m_end < m_first) return refuse(AppendRefusal::LoggerHoldsFewer);
    // Even with nothing new the check is made: a logger that holds as many
    // records as the document, but other ones, is not "up to date".
    MeasurementRecord theirs{};
    const RecordFetch fetched = fetch(m_first - 1, theirs, result);
    if (result.kind != SessionStep::Kind::Idle) return result;
    if (!fetched.status) return stopped(result, fetched.status, true);
    if (std::memcmp(theirs.bytes.data(), m_lastKept.bytes.data(), BLOCK_SIZE) != 0)
        return refuse(AppendRefusal::RecordDiffers);
    if (m_end == m_first) return refuse(AppendRefusal::NoNewRecords);
    m_phase = Phase::Fetch;
    result.kind = SessionStep::Kind::Exchanged;
    result.rearm = DOWNLOAD_STEP_DELAY;
    return result;
}

RecordFetch LoggerSession::fetch(int index, MeasurementRecord& into, SessionStep& result) {
    RecordFetch fetched = FetchRecord(*m_connection->link, index, into);
    if (fetched.status || !m_connection->link->gone() || m_reconnected) return fetched;
    // Unplugged and plugged in again, or pulled for good: one new connection says which.
    m_reconnected = result.reconnected = true;
    Status report = connect();
    if (!report && !(m_began && m_connection)) {
        result = notConnected(result, report);
        return fetched;
    }
    if (!m_began) {
        // Nothing of this job is in the document yet: it starts again on
        // what the logger holds now.
        m_end = m_connection->state.recordCount;
        if (m_job == LoggerJob::Append) m_phase = Phase::Check;
        result = newStep();
        result.reconnected = true;
        result.kind = SessionStep::Kind::Exchanged;
        result.rearm = DOWNLOAD_STEP_DELAY;
        return fetched;
    }
    return FetchRecord(*m_connection->link, index, into);
}

SessionStep LoggerSession::stepDownload(SessionStep result) {
    if (m_next >= m_end) {
        result.kind = SessionStep::Kind::Completed;
        return end(result);
    }
    const int index = m_next;
    result.record = index;
    // The record waits aside: until it is whole nothing of it is handed on.
    const RecordFetch fetched = fetch(index, m_staging, result);
    if (result.kind != SessionStep::Kind::Idle) return result;
    if (!fetched.status) return stopped(result, fetched.status);
    m_began = true;
    ++m_next;
    result = newStep();
    result.kind = SessionStep::Kind::Record;
    result.record = index;
    result.first = index == m_first;
    result.reconnected = m_reconnected;
    result.label = RecordTimeLabel(m_staging);
    if (!m_feed) result.bytes = std::make_shared<const MeasurementRecord>(m_staging);
    result.rearm = DOWNLOAD_STEP_DELAY;
    return result;
}

SessionStep LoggerSession::stop() {
    if (!busy()) return newStep();
    SessionStep result = newStep();
    result.cancelled = true;
    result.record = m_next;
    result = stopped(result, std::nullopt);
    if (m_feed) m_feed->apply(result, state());
    return result;
}

SessionStep LoggerSession::stopped(SessionStep result, std::optional<Status> failure, bool atCheck) {
    if (!result.cancelled) m_faulted = true;
    result.kind = SessionStep::Kind::Stopped;
    result.exchange = std::move(failure);
    result.atCheck = atCheck;
    if (m_began) result.kept = keepsPartial() ? m_next - m_first : 0;
    return end(result);
}

SessionStep LoggerSession::notConnected(SessionStep result, Status report) {
    if (m_began) {
        result.connect = std::move(report);
        return stopped(result, ExchangeStatus(DeviceCommand::CMD_SELECT_RECORD, Status::Kind::PortGone));
    }
    result.kind = SessionStep::Kind::NotConnected;
    result.connect = std::move(report);
    return end(result);
}

SessionStep LoggerSession::end(SessionStep result) {
    m_job = LoggerJob::None;
    result.rearm.reset();
    return result;
}

Status LoggerSession::upload(const DeviceInfoBlock& block, bool verify) {
    if (!m_connection) return {Status::Kind::NoLogger, "no logger is connected"};
    const std::string on = "the logger on " + portName();
    if (!m_connection->state.deviceInfoRead)
        return {Status::Kind::Failed, "cannot read the device information block of " + on + "; nothing was uploaded"};
    ByteLink& link = *m_connection->link;
    if (const Status sent = UploadDeviceInfo(link, block); !sent) return sent;
    m_connection->state.deviceInfo = block;
    ++m_stateVersion;
    if (!verify) return {};
    DeviceInfoBlock back{};
    Status read = Request(link, DeviceCommand::CMD_READ_DEVICE_INFO, back.bytes.data(), back.bytes.size());
    if (!read) {
        read.detail = "cannot read the block back: " + read.detail;
        return read;
    }
    const auto [s, b] = std::mismatch(block.bytes.begin(), block.bytes.end(), back.bytes.begin());
    if (s == block.bytes.end()) return {};
    Status differs{Status::Kind::Failed, "the logger holds a different block: byte " +
                                             std::to_string(s - block.bytes.begin()) + " was sent as " +
                                             std::to_string(*s) + " and reads back as " + std::to_string(*b)};
    differs.command = static_cast<int>(DeviceCommand::CMD_READ_DEVICE_INFO);
    m_connection->state.deviceInfo = back;
    return differs;
}

}  // namespace varnelo
