#include "export/clock_offset.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <cstdlib>

#include "export/export_text.h"
#include "export/record_rows.h"
#include "export/track_export.h"
#include "text/message_text.h"
#include "track/gps_track.h"

namespace varnelo {

namespace {

constexpr int DAY = 86400;
constexpr int QUARTER_HOUR = 900;
// A clock set by hand drifts and is read a second apart from the GPS: two
// minutes is beyond both, and far below a quarter hour.
constexpr int AGREEMENT = 120;

bool Digit(char c) { return c >= '0' && c <= '9'; }

int TwoDigits(std::string_view text, std::size_t at) { return (text[at] - '0') * 10 + (text[at + 1] - '0'); }

// Into (-12 h, +14 h]: the zones the Earth has.
int Wrapped(int seconds) {
    seconds %= DAY;
    if (seconds > OFFSET_MAX_MINUTES * 60) seconds -= DAY;
    if (seconds <= OFFSET_MIN_MINUTES * 60) seconds += DAY;
    return seconds;
}

}  // namespace

// Hinnant's algorithm for the civil date.
std::string IsoOfSeconds(long long seconds) {
    long long days = seconds / DAY;
    long long rest = seconds % DAY;
    if (rest < 0) {
        rest += DAY;
        --days;
    }
    days += 719468;
    const long long era = (days >= 0 ? days : days - 146096) / 146097;
    const long long doe = days - era * 146097;
    const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long long mp = (5 * doy + 2) / 153;
    const int day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    const int month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    const int year = static_cast<int>(yoe + era * 400 + (month <= 2));
    if (year < 1 || year > 9999) return {};
    return export_text::IsoDateTimeText(year, month, day, static_cast<int>(rest / 3600), static_cast<int>(rest / 60 % 60),
                                        static_cast<int>(rest % 60));
}

std::optional<int> ParseUtcOffset(std::string_view text, std::string& error) {
    const bool shaped = text.size() == 6 && (text[0] == '+' || text[0] == '-') && Digit(text[1]) && Digit(text[2]) &&
                        text[3] == ':' && Digit(text[4]) && Digit(text[5]);
    if (shaped) {
        const int hours = TwoDigits(text, 1);
        const int minutes = TwoDigits(text, 4);
        const int value = (text[0] == '-' ? -1 : 1) * (hours * 60 + minutes);
        if (minutes < 60 && value >= OFFSET_MIN_MINUTES && value <= OFFSET_MAX_MINUTES) return value;
    }
    error = "--utc-offset " + QuotedValue(text) + " is not an offset -12:00..+14:00 (+HH:MM) or auto";
    return std::nullopt;
}

std::optional<int> GpsSecondOfDay(const MeasurementRecord& record) {
    const std::span<const std::uint8_t> bytes = GpsSentenceBytes(record);
    const std::size_t scanned = std::min(bytes.size(), GPS_SCAN_LIMIT);
    std::size_t i = 0;
    while (i < scanned && bytes[i] != ',' && bytes[i] != 0x00 && bytes[i] != 0xFF) ++i;
    if (i >= scanned || bytes[i] != ',') return std::nullopt;
    std::string_view field(reinterpret_cast<const char*>(bytes.data()) + i + 1, scanned - i - 1);
    field = field.substr(0, field.find(','));
    if (field.size() < 6) return std::nullopt;
    for (std::size_t k = 0; k < 6; ++k) {
        if (!Digit(field[k])) return std::nullopt;
    }
    // Fractions of a second may follow; anything else is no time.
    if (field.size() > 6 && field[6] != '.') return std::nullopt;
    const int h = TwoDigits(field, 0), m = TwoDigits(field, 2), s = TwoDigits(field, 4);
    if (h > 23 || m > 59 || s > 60) return std::nullopt;
    return h * 3600 + m * 60 + std::min(s, 59);
}

EachRecord DocumentRecords(const CVarneloDoc& doc) {
    return [&doc](const std::function<void(int, const MeasurementRecord&)>& each) {
        const int count = std::clamp(doc.recordCount(), 0, RECORD_CAPACITY);
        for (int i = 0; i < count; ++i) each(i, doc.record(i));
        return true;
    };
}

EachRecord FileRecords(FileBatches& batches) {
    return [&batches](const std::function<void(int, const MeasurementRecord&)>& each) {
        const auto count = static_cast<std::size_t>(batches.count());
        for (std::size_t first = 0; first < count; first += export_text::RECORDS_PER_BATCH) {
            std::unique_ptr<MeasurementRecord[]> room;
            const auto records = batches.read(first, std::min(count, first + export_text::RECORDS_PER_BATCH), room);
            if (records.empty()) return false;
            for (std::size_t k = 0; k < records.size(); ++k) each(static_cast<int>(first + k), records[k]);
        }
        return true;
    };
}

OffsetFinding FindUtcOffset(const EachRecord& records) {
    OffsetFinding found;
    int firstRecord = -1, rounded = 0, disagreeing = -1;
    const bool read = records([&](int index, const MeasurementRecord& record) {
        if (disagreeing >= 0) return;
        GpsFix fix;
        ParseGpsText(GpsSentenceBytes(record), fix);
        if (!SignedPositionOf(record, fix.latitude, fix.longitude, fix.given)) return;
        const std::optional<int> gps = GpsSecondOfDay(record);
        const std::optional<double> clock = RecordSeconds(record);
        if (!gps || !clock) return;
        const int clockOfDay = static_cast<int>(std::fmod(*clock, DAY));
        const int difference = Wrapped(clockOfDay - *gps + DAY);
        if (firstRecord < 0) {
            firstRecord = index;
            rounded = static_cast<int>(std::lround(difference / double(QUARTER_HOUR))) * QUARTER_HOUR;
            // Rounding may carry it out of the range at its very edge.
            rounded = Wrapped(rounded + DAY);
            return;
        }
        if (std::abs(Wrapped(difference - rounded + DAY)) > AGREEMENT) disagreeing = index;
    });
    if (!read) {
        found.error = "the records could not be read to find the clock's offset";
    } else if (firstRecord < 0) {
        found.error = "no record has a GPS fix with a time to find the clock's offset from: give --utc-offset +HH:MM";
    } else if (disagreeing >= 0) {
        found.error = "records " + std::to_string(firstRecord) + " and " + std::to_string(disagreeing) +
                      " disagree on the clock's offset from the GPS time: give --utc-offset +HH:MM";
    } else {
        found.minutes = rounded / 60;
    }
    return found;
}

std::string OffsetText(int offsetMinutes) {
    std::string text(1, offsetMinutes < 0 ? '-' : '+');
    const int magnitude = std::abs(offsetMinutes);
    export_text::AppendTwoDigits(text, magnitude / 60);
    text += ':';
    export_text::AppendTwoDigits(text, magnitude % 60);
    return text;
}

std::string OffsetIsoTime(const MeasurementRecord& record, int offsetMinutes) {
    std::string text = RecordIsoTime(record);
    if (!text.empty()) text += OffsetText(offsetMinutes);
    return text;
}

std::optional<double> UtcSeconds(const MeasurementRecord& record, int offsetMinutes) {
    const std::optional<double> clock = RecordSeconds(record);
    if (!clock) return std::nullopt;
    return *clock - offsetMinutes * 60.0;
}

std::string UtcIsoTime(const MeasurementRecord& record, int offsetMinutes) {
    const std::optional<double> seconds = UtcSeconds(record, offsetMinutes);
    if (!seconds) return {};
    std::string text = IsoOfSeconds(static_cast<long long>(*seconds));
    return text.empty() ? text : text + 'Z';
}

std::string ResultTime(const MeasurementRecord& record, const std::optional<int>& offsetMinutes) {
    return offsetMinutes ? OffsetIsoTime(record, *offsetMinutes) : RecordIsoTime(record);
}

}  // namespace varnelo
