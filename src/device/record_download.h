#pragma once
// Copying every record from the logger into the document, one record per
// tick. Whoever owns the timer (the main form, or the command line running
// ticks back to back) calls start() for the read button and step() for each
// tick, and arms the next tick with the delay that comes back.
//
//   Idle --start()--> Pending(0) --step()--> Pending(1) ... Pending(count) --step()--> Idle
//
// A failed exchange is retried once after discarding stale input; a second
// failure stops the download, keeping the records completed so far.

#include <chrono>
#include <optional>
#include <string>

#include "data/document.h"
#include "device/byte_link.h"
#include "device/device_link.h"

namespace varnelo {

inline constexpr std::chrono::milliseconds DOWNLOAD_START_DELAY{100};  // read button to first tick
inline constexpr std::chrono::milliseconds DOWNLOAD_STEP_DELAY{10};    // between two records

struct DownloadStep {
    enum class Kind {
        Ignored,    // a tick while idle: nothing happened
        Fetched,    // record `record` is in the document; `label` is its list line
        Completed,  // all records are in and the document count is set
        Stopped,    // record `record` could not be read; the count is the complete records
    };
    Kind kind = Kind::Ignored;
    int record = -1;
    int done = 0;   // records complete after this step
    int total = 0;  // records the download fetches
    std::string label;
    bool retried = false;  // Fetched after one failed attempt
    std::string failure;   // Stopped: what went wrong, for the status line
    // When to tick again; empty once the download is over.
    std::optional<std::chrono::milliseconds> rearm;
};

// Record `index` from the logger into `into`: select it, then read it.
// A failed exchange is retried once after discarding stale input; `into`
// may hold part of a reply when the result is not ok.
struct RecordFetch {
    bool ok = false;
    bool retried = false;
    std::string failure;  // not ok: the last attempt's fault, described
};
RecordFetch FetchRecord(ByteLink& link, int index, MeasurementRecord& into);

class RecordDownload {
public:
    RecordDownload(ByteLink& link, CVarneloDoc& doc) : m_link(link), m_doc(doc) {}

    // The read button: (re)starts at record 0 from any state. The count is
    // held to 0..RECORD_CAPACITY. Returns the delay before the first tick.
    std::chrono::milliseconds start(int deviceRecordCount);
    // Records first..end-1 only, after the document's own 0..first-1 (both
    // held to 0..RECORD_CAPACITY): the same ticks, completing with a count
    // of `end`.
    std::chrono::milliseconds startAt(int first, int end);

    DownloadStep step();

    // Ends a pending download between two ticks; the document keeps the
    // records complete so far as its count.
    void cancel();

    bool pending() const { return m_pending; }
    int nextRecord() const { return m_nextRecord; }
    int total() const { return m_total; }

private:
    ByteLink& m_link;
    CVarneloDoc& m_doc;
    bool m_pending = false;
    int m_nextRecord = 0;
    int m_total = 0;
};

}  // namespace varnelo
