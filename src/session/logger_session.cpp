#include "session/logger_session.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "data/byte_order.h"
#include "device/device_link.h"
#include "device/record_download.h"

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

LoggerSession::LoggerSession(Session& session, Connector connector)
    : m_session(session), m_connector(std::move(connector)) {}

Status LoggerSession::connect() {
    // One port at a time: the old one is closed before discovery looks again.
    m_connection.reset();
    ++m_connections;
    ConnectOutcome outcome = m_connector();
    if (!outcome.connection) return std::move(outcome.status);
    m_connection = std::move(outcome.connection);
    m_faulted = false;
    const LoggerState& state = m_connection->state;
    if (!state.countRead) {
        // The port is kept: what did answer is worth showing.
        const std::string why = state.failures.empty() ? std::string("no answer") : state.failures.front().detail;
        return {Status::Kind::NoAnswer, "the logger on " + m_connection->portName + " did not answer: " + why};
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
    m_job = LoggerJob::Download;
    m_phase = Phase::Fetch;
    m_keepPartial = true;
    m_began = m_reconnected = false;
    m_first = m_next = 0;
    // The count of the connection, as read then: the download never asks again.
    m_end = m_connection->state.recordCount;
    start.delay = DOWNLOAD_START_DELAY;
    return start;
}

JobStart LoggerSession::startAppend(bool keepPartial) {
    JobStart start;
    if (busy()) return start;
    start.refused.job = LoggerJob::Append;
    const int kept = m_session.doc().recordCount();
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
        if (!m_connection) {
            start.refused.kind = SessionStep::Kind::NotConnected;
            start.refused.connect = std::move(report);
            return start;
        }
        fresh = report.ok();
    }
    m_job = LoggerJob::Append;
    m_phase = fresh ? Phase::Check : Phase::Count;
    m_keepPartial = keepPartial;
    m_began = m_reconnected = false;
    m_first = m_next = kept;
    m_end = fresh ? m_connection->state.recordCount : kept;
    start.delay = DOWNLOAD_START_DELAY;
    return start;
}

SessionStep LoggerSession::step() {
    SessionStep result = newStep();
    switch (m_job) {
        case LoggerJob::None: return result;
        case LoggerJob::Download: return stepDownload(result);
        case LoggerJob::Append: return stepAppend(result);
    }
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
    std::array<std::uint8_t, RECORD_COUNT_SIZE> count{};
    ByteLink& link = *m_connection->link;
    Status read = Request(link, DeviceCommand::CMD_READ_RECORD_COUNT, count.data(), count.size());
    if (!read && WorthRetrying(read, link)) {
        link.discardInput();
        read = Request(link, DeviceCommand::CMD_READ_RECORD_COUNT, count.data(), count.size());
    }
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
        LoggerState& state = m_connection->state;
        state.reportedCount = ReadI32Le(count.data());
        state.recordCount = m_end = HoldRecordCount(state.reportedCount);
        state.countRead = true;
        state.countLabel = CountLabel(0, state.recordCount);
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
    if (std::memcmp(theirs.bytes.data(), m_session.doc().record(m_first - 1).bytes.data(), BLOCK_SIZE) != 0)
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
    CVarneloDoc& doc = m_session.doc();
    if (m_next >= m_end) {
        result.kind = SessionStep::Kind::Completed;
        if (m_began) m_session.markChanged();
        return end(result);
    }
    const int index = m_next;
    result.record = index;
    // The first record waits aside: until it is whole the document is untouched.
    MeasurementRecord& into = m_began ? doc.record(index) : m_staging;
    const RecordFetch fetched = fetch(index, into, result);
    if (result.kind != SessionStep::Kind::Idle) return result;
    if (!fetched.status) return stopped(result, fetched.status);
    if (!m_began) {
        m_began = true;
        if (m_job == LoggerJob::Download) {
            // The logger's records replace the document's, and its blocks go with them.
            AdoptLoggerBlocks(m_connection->state, doc);
            m_session.beginDownload();
            m_session.markChanged();
        }
        doc.record(index) = m_staging;
    }
    doc.setRecordCount(index + 1);
    m_session.recordsChanged();
    ++m_next;
    result = newStep();
    result.kind = SessionStep::Kind::Record;
    result.record = index;
    result.first = index == m_first;
    result.reconnected = m_reconnected;
    result.label = RecordTimeLabel(doc.record(index));
    result.rearm = DOWNLOAD_STEP_DELAY;
    return result;
}

SessionStep LoggerSession::stop() {
    if (!busy()) return newStep();
    SessionStep result = newStep();
    result.cancelled = true;
    result.record = m_next;
    return stopped(result, std::nullopt);
}

SessionStep LoggerSession::stopped(SessionStep result, std::optional<Status> failure, bool atCheck) {
    if (!result.cancelled) m_faulted = true;
    result.kind = SessionStep::Kind::Stopped;
    result.exchange = std::move(failure);
    result.atCheck = atCheck;
    if (m_began) {
        CVarneloDoc& doc = m_session.doc();
        const int keep = keepsPartial() ? m_next : m_first;
        doc.setRecordCount(keep);
        // Blocks past the count, the half-received one included, go back
        // to the zero bytes of unfilled blocks.
        for (int i = keep; i <= std::min(m_next, RECORD_CAPACITY - 1); ++i) doc.record(i).bytes.fill(0);
        m_session.recordsChanged();
        if (keep > m_first) m_session.markChanged();
        result.kept = keep - m_first;
    }
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

}  // namespace varnelo
