#include "session/document_feed.h"

#include <algorithm>

namespace varnelo {

void DocumentFeed::begin(LoggerJob job, int from, bool keepPartial) {
    m_job = job;
    m_from = from;
    m_applied = 0;
    m_keepPartial = job == LoggerJob::Download || keepPartial;
}

void DocumentFeed::apply(const SessionStep& step, const LoggerState* logger, const MeasurementRecord* record) {
    if (!active()) return;
    CVarneloDoc& doc = m_session.doc();
    switch (step.kind) {
        case SessionStep::Kind::Idle:
        case SessionStep::Kind::Exchanged: return;
        case SessionStep::Kind::Record:
            if (record == nullptr) record = step.bytes.get();
            if (record == nullptr) return;
            if (m_applied == 0 && m_job == LoggerJob::Download) {
                // The logger's records replace the document's, and its blocks go with them.
                if (logger != nullptr) AdoptLoggerBlocks(*logger, doc);
                m_session.beginDownload();
                m_session.markChanged();
            }
            doc.record(step.record) = *record;
            doc.setRecordCount(step.record + 1);
            m_session.recordsChanged();
            ++m_applied;
            return;
        case SessionStep::Kind::Completed:
            if (m_applied > 0) m_session.markChanged();
            break;
        case SessionStep::Kind::Stopped: stop(); return;
        case SessionStep::Kind::Refused:
        case SessionStep::Kind::NotConnected: break;
    }
    m_job = LoggerJob::None;
}

int DocumentFeed::stop() {
    if (!active()) return 0;
    m_job = LoggerJob::None;
    if (m_applied == 0) return 0;
    CVarneloDoc& doc = m_session.doc();
    const int keep = m_keepPartial ? m_from + m_applied : m_from;
    doc.setRecordCount(keep);
    // Records brought but not kept go back to the zero bytes of unfilled blocks.
    for (int i = keep; i < std::min(m_from + m_applied, RECORD_CAPACITY); ++i) doc.record(i).bytes.fill(0);
    m_session.recordsChanged();
    if (keep > m_from) m_session.markChanged();
    return keep - m_from;
}

}  // namespace varnelo
