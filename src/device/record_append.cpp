#include "device/record_append.h"

#include <algorithm>
#include <cstring>

#include "device/connection.h"

namespace varnelo {

std::string DescribeRefusal(AppendRefusal refusal, int kept, int loggerCount) {
    const std::string held = std::to_string(kept);
    switch (refusal) {
        case AppendRefusal::None: break;
        case AppendRefusal::NoRecords: return "there is no record yet to check the logger's against";
        case AppendRefusal::LoggerHoldsFewer:
            return "the logger holds " + std::to_string(loggerCount) + " records, fewer than the " + held +
                   " already here: its memory was cleared";
        case AppendRefusal::RecordDiffers:
            return "the logger's record " + std::to_string(kept - 1) +
                   " differs from the one here: another logger, or its memory was cleared and filled again";
        case AppendRefusal::NoNewRecords:
            return kept >= RECORD_CAPACITY ? "no new records: the " + held + " records here fill the capacity"
                                           : "no new records: the logger holds the " + held + " records here";
    }
    return {};
}

std::chrono::milliseconds RecordAppend::start(int deviceRecordCount, bool keepPartial) {
    m_download.cancel();
    m_kept = m_doc.recordCount();
    m_end = HoldRecordCount(deviceRecordCount);
    m_keepPartial = keepPartial;
    m_phase = Phase::Checking;
    return DOWNLOAD_START_DELAY;
}

AppendStep RecordAppend::step() {
    AppendStep result;
    result.total = std::max(m_end - m_kept, 0);
    if (m_phase == Phase::Idle) return result;

    if (m_phase == Phase::Checking) {
        m_phase = Phase::Idle;
        result.record = m_kept - 1;
        result.kind = AppendStep::Kind::Refused;
        if (m_kept == 0) {
            result.refusal = AppendRefusal::NoRecords;
            return result;
        }
        if (m_end < m_kept) {
            result.refusal = AppendRefusal::LoggerHoldsFewer;
            return result;
        }
        // Even with nothing new the check is made: a logger that holds as
        // many records as the document, but other ones, is not "up to date".
        MeasurementRecord theirs{};
        const RecordFetch fetch = FetchRecord(m_link, m_kept - 1, theirs);
        result.retried = fetch.retried;
        if (!fetch.ok) {
            result.kind = AppendStep::Kind::Stopped;
            result.failure = "record " + std::to_string(m_kept - 1) + " (the check): " + fetch.failure;
            return result;
        }
        if (std::memcmp(theirs.bytes.data(), m_doc.record(m_kept - 1).bytes.data(), BLOCK_SIZE) != 0) {
            result.refusal = AppendRefusal::RecordDiffers;
            return result;
        }
        if (m_end == m_kept) {
            result.refusal = AppendRefusal::NoNewRecords;
            return result;
        }
        m_download.startAt(m_kept, m_end);
        m_phase = Phase::Fetching;
        result.kind = AppendStep::Kind::Checked;
        result.rearm = DOWNLOAD_STEP_DELAY;
        return result;
    }

    const DownloadStep step = m_download.step();
    result.record = step.record;
    result.done = std::max(step.done - m_kept, 0);
    result.label = step.label;
    result.retried = step.retried;
    result.rearm = step.rearm;
    switch (step.kind) {
        case DownloadStep::Kind::Ignored: m_phase = Phase::Idle; return result;
        case DownloadStep::Kind::Fetched: result.kind = AppendStep::Kind::Fetched; return result;
        case DownloadStep::Kind::Completed:
            m_phase = Phase::Idle;
            result.kind = AppendStep::Kind::Completed;
            return result;
        case DownloadStep::Kind::Stopped:
            result.kind = AppendStep::Kind::Stopped;
            result.failure = step.failure;
            return finishStopped(result);
    }
    return result;
}

// The download set the count to its complete records; without keepPartial
// the document goes back to what it held. The blocks written past the count,
// the half-received one included, go back to the zero bytes of unfilled blocks.
AppendStep RecordAppend::finishStopped(AppendStep step) {
    m_phase = Phase::Idle;
    const int written = std::min(std::max(step.record + 1, m_doc.recordCount()), RECORD_CAPACITY);
    if (!m_keepPartial) m_doc.setRecordCount(m_kept);
    for (int i = m_doc.recordCount(); i < written; ++i) m_doc.record(i).bytes.fill(0);
    return step;
}

void RecordAppend::cancel() {
    if (m_phase == Phase::Fetching) {
        const int next = m_download.nextRecord();
        m_download.cancel();
        AppendStep stopped;
        stopped.record = next - 1;
        finishStopped(stopped);
    }
    m_phase = Phase::Idle;
}

}  // namespace varnelo
