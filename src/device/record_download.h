#pragma once
// Bringing one record from the logger: select it, then read it, with the one
// retry that every download and append shares. The periods of the timer
// that paces a download live here too: the logger session (session/) runs
// the download itself.

#include <chrono>
#include <string>

#include "data/document.h"
#include "device/byte_link.h"
#include "device/device_link.h"

namespace varnelo {

inline constexpr std::chrono::milliseconds DOWNLOAD_START_DELAY{100};  // read button to first tick
inline constexpr std::chrono::milliseconds DOWNLOAD_STEP_DELAY{10};    // between two records

// Record `index` from the logger into `into`: select it, then read it.
// A failed exchange is retried once after discarding stale input; `into`
// may hold part of a reply when the status is not ok.
struct RecordFetch {
    Status status;  // the last attempt's: its command, and the record asked for
    bool retried = false;
};
RecordFetch FetchRecord(ByteLink& link, int index, MeasurementRecord& into);

}  // namespace varnelo
