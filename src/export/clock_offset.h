#pragma once
// The logger's clock keeps local time with no zone. Its offset from UTC is
// either given ("+09:00") or read off the records themselves: the GPS
// sentence carries UTC time of day (field 1, hhmmss), so the clock minus
// that time, rounded to the quarter hours zones use, is the offset. With an
// offset, times are written with it, GPX in UTC, and the sun can be placed.

#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "data/document.h"
#include "data/measurement_record.h"
#include "export/file_batches.h"

namespace varnelo {

inline constexpr int OFFSET_MIN_MINUTES = -12 * 60;
inline constexpr int OFFSET_MAX_MINUTES = 14 * 60;

// "±HH:MM" within -12:00..+14:00, in minutes; nothing otherwise, `error`
// naming the value.
std::optional<int> ParseUtcOffset(std::string_view text, std::string& error);

// Seconds since midnight UTC of field 1 of the record's GPS sentence
// ("093000" or "093000.00"), or nothing when it holds no such time.
std::optional<int> GpsSecondOfDay(const MeasurementRecord& record);

// Every record of a file, in order, with its number.
using EachRecord = std::function<bool(const std::function<void(int, const MeasurementRecord&)>&)>;

// A document's records, or a data file's read a batch at a time.
EachRecord DocumentRecords(const CVarneloDoc& doc);
EachRecord FileRecords(FileBatches& batches);

struct OffsetFinding {
    std::optional<int> minutes;
    std::string error;  // when no offset: why, naming the records
};

// The offset the records with a fix and a GPS time agree on: clock minus
// GPS time, wrapped into (-12 h, +14 h] and rounded to 15 minutes. A record
// more than 2 minutes from the first one's rounded value disagrees.
OffsetFinding FindUtcOffset(const EachRecord& records);

// "2023-07-14T09:30:00+09:00": the clock's time with its offset; empty for
// a record whose date is not a real one.
std::string OffsetIsoTime(const MeasurementRecord& record, int offsetMinutes);
inline constexpr std::size_t OFFSET_ISO_TIME_MAX = std::string_view("2021-10-07T09:05:03+09:00").size();

// "2023-07-14T00:30:00Z": the same instant in UTC.
std::string UtcIsoTime(const MeasurementRecord& record, int offsetMinutes);

// The time a result file writes: with the offset when there is one, the
// clock's own otherwise.
std::string ResultTime(const MeasurementRecord& record, const std::optional<int>& offsetMinutes);

// Seconds since 1970-01-01T00:00:00Z, or nothing for a record whose date is
// not a real one.
std::optional<double> UtcSeconds(const MeasurementRecord& record, int offsetMinutes);

// "2023-07-14T00:30:00" of seconds since 1970; empty outside years 1..9999.
std::string IsoOfSeconds(long long seconds);

// "+09:00" / "-03:30".
std::string OffsetText(int offsetMinutes);

}  // namespace varnelo
