#pragma once
// Bringing only the records a document lacks: a document holding records
// 0..k-1 takes records k..N-1 of a logger that reports N >= k, and only
// when the logger's record k-1, read again, is byte for byte the document's
// record k-1. Anything else could join the records of two loggers, or of a
// memory that was cleared and filled again, into one file.
//
//   Idle --start()--> Checking --step()--> Pending(k) ... Pending(N) --step()--> Idle
//                          \--step()--> Idle (refused: nothing appended)
//
// The new records come exactly as a download brings them (RecordDownload:
// the same exchanges, retry and stop), after record k-1. Nothing the
// document held before changes, its parameter block included. A stop
// appends nothing unless asked to keep the complete new records.

#include <chrono>
#include <optional>
#include <string>

#include "data/document.h"
#include "device/byte_link.h"
#include "device/record_download.h"

namespace varnelo {

enum class AppendRefusal {
    None,
    NoRecords,         // the document holds no record to check against: a full download is the way
    LoggerHoldsFewer,  // the logger holds fewer records than the document: its memory was cleared
    RecordDiffers,     // the logger's record k-1 is not the document's: another logger, or a refilled memory
    NoNewRecords,      // the logger holds just the document's records (or the document is full)
};

// What the refusal means, in English: "the logger holds 80 records, fewer
// than the 100 already here: its memory was cleared".
std::string DescribeRefusal(AppendRefusal refusal, int kept, int loggerCount);

struct AppendStep {
    enum class Kind {
        Ignored,    // a tick while idle
        Checked,    // record k-1 matched; the new records follow
        Fetched,    // record `record` arrived; `label` is its list line
        Completed,  // every new record is in and the document count is set
        Stopped,    // a fault at the check or at record `record`
        Refused,    // `refusal` says why; the document is as it was
    };
    Kind kind = Kind::Ignored;
    int record = -1;  // the record of the step, counted from the document's first
    int done = 0;     // new records complete after this step
    int total = 0;    // new records the append brings (known once checked)
    std::string label;
    bool retried = false;
    std::string failure;  // Stopped: what went wrong, for the status line
    AppendRefusal refusal = AppendRefusal::None;
    std::optional<std::chrono::milliseconds> rearm;
};

class RecordAppend {
public:
    RecordAppend(ByteLink& link, CVarneloDoc& doc) : m_link(link), m_doc(doc), m_download(link, doc) {}

    // Starts from the document's count now, k, against the logger's count
    // (held to 0..RECORD_CAPACITY). With keepPartial a stop keeps the
    // complete new records, as a download does; without it a stop appends
    // nothing. Returns the delay before the first tick, the check.
    std::chrono::milliseconds start(int deviceRecordCount, bool keepPartial = false);

    AppendStep step();

    // Ends a pending append between two ticks, as a stop does.
    void cancel();

    bool pending() const { return m_phase != Phase::Idle; }
    int kept() const { return m_kept; }        // k: the records the document held
    int end() const { return m_end; }          // what the document holds once complete

private:
    enum class Phase { Idle, Checking, Fetching };
    AppendStep finishStopped(AppendStep step);

    ByteLink& m_link;
    CVarneloDoc& m_doc;
    RecordDownload m_download;
    Phase m_phase = Phase::Idle;
    bool m_keepPartial = false;
    int m_kept = 0;
    int m_end = 0;
};

}  // namespace varnelo
