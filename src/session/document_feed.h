#pragma once
// The document's side of a logger job. The logger session brings records;
// this puts them into the document, on whichever thread owns it, so that
// the document is written by one thread only. It keeps the job's rule of
// what stays: the document changes with the first whole record (a full
// download makes it a new, untitled one with the logger's blocks), and a
// stop keeps every complete record of a download but nothing of an append
// unless it keeps partial ones.

#include "device/connection.h"
#include "session/logger_session.h"
#include "session/session.h"

namespace varnelo {

class DocumentFeed {
public:
    explicit DocumentFeed(Session& session) : m_session(session) {}

    // A job begins whose records go from record `from` on.
    void begin(LoggerJob job, int from, bool keepPartial);
    // Takes a step of the job: a record, its end. `logger` holds the blocks
    // a download's first record brings with it; `record`, when given, is
    // the step's record (else the one the step carries).
    void apply(const SessionStep& step, const LoggerState* logger, const MeasurementRecord* record = nullptr);
    // Ends the job on the document's side at once, as a stop would; the
    // records kept of it.
    int stop();

    bool active() const { return m_job != LoggerJob::None; }
    // Records of the job in the document so far.
    int applied() const { return m_applied; }

private:
    Session& m_session;
    LoggerJob m_job = LoggerJob::None;
    int m_from = 0;
    int m_applied = 0;
    bool m_keepPartial = false;
};

}  // namespace varnelo
