#include "track/gps_track.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

#include "text/decimal_prefix.h"

namespace varnelo {

namespace {

static_assert(std::numeric_limits<float>::is_iec559 && std::numeric_limits<double>::is_iec559);

// Nearest float32, with values beyond the float range going to infinity as
// IEEE rounding does (a plain cast of such a value is undefined in C++).
float NarrowToFloat(double value) {
    // Halfway between FLT_MAX and 2^128: from here on the nearest float is infinite.
    constexpr double overflowThreshold = 0x1.ffffffp127;
    if (value >= overflowThreshold) return std::numeric_limits<float>::infinity();
    if (value <= -overflowThreshold) return -std::numeric_limits<float>::infinity();
    return static_cast<float>(value);
}

// Sentence fields, numbered from 0 (the text before the first comma).
constexpr int FIELD_STATUS = 2;
constexpr int FIELD_LATITUDE = 3;
constexpr int FIELD_NORTH_SOUTH = 4;
constexpr int FIELD_LONGITUDE = 5;
constexpr int FIELD_EAST_WEST = 6;
constexpr int FIELD_SPEED = 7;
constexpr int FIELD_COURSE = 8;
constexpr int FIELD_ALTITUDE = 10;
constexpr int FIELD_ALTITUDE2 = 11;

}  // namespace

GpsTrack::GpsTrack()
    : x(RECORD_CAPACITY),
      y(RECORD_CAPACITY),
      latitude(RECORD_CAPACITY),
      longitude(RECORD_CAPACITY),
      speed(RECORD_CAPACITY),
      course(RECORD_CAPACITY),
      altitude(RECORD_CAPACITY),
      altitude2(RECORD_CAPACITY),
      given(RECORD_CAPACITY) {}

std::span<const std::uint8_t> GpsSentenceBytes(const MeasurementRecord& record) {
    return std::span<const std::uint8_t>(record.bytes).subspan(record_offset::GPS_TEXT);
}

PositionMarks ReadPositionMarks(std::span<const std::uint8_t> text) {
    PositionMarks marks;
    const std::size_t scanned = std::min(text.size(), GPS_SCAN_LIMIT);
    int field = 0;
    for (std::size_t i = 0; i < scanned && field < FIELD_EAST_WEST; ++i) {
        if (text[i] == 0x00 || text[i] == 0xFF) break;
        if (text[i] != ',') continue;
        ++field;
        // As with numbers, a field whose comma lies within the scan is read.
        const char letter = i + 1 < text.size() ? static_cast<char>(text[i + 1]) : '\0';
        if (field == FIELD_STATUS) marks.noFix = letter == 'V';
        if (field == FIELD_NORTH_SOUTH) marks.south = letter == 'S';
        if (field == FIELD_EAST_WEST) marks.west = letter == 'W';
    }
    return marks;
}

bool HasGpsFix(const GpsFix& fix, const PositionMarks& marks) {
    if (!fix.has(GPS_LATITUDE) || !fix.has(GPS_LONGITUDE) || marks.noFix) return false;
    if (!std::isfinite(fix.latitude) || !std::isfinite(fix.longitude)) return false;
    if (fix.latitude == 0.0 && fix.longitude == 0.0) return false;
    return std::fabs(fix.latitude) <= 90.0 && std::fabs(fix.longitude) <= 180.0;
}

double DegreesFromDegreesMinutes(double raw) {
    if (!std::isfinite(raw)) return raw;
    const double whole = std::trunc(raw / 100.0);
    // Within the 32-bit range of the logger's whole-degree part, raw - 100·whole
    // is exact; beyond it 100·whole could overflow, and the remainder is taken
    // directly (also exact) instead.
    const double minutes = std::fabs(whole) < 2147483648.0 ? raw - 100.0 * whole : std::fmod(raw, 100.0);
    return whole + minutes / 60.0;
}

void ParseGpsText(std::span<const std::uint8_t> text, GpsFix& fix) {
    double rawLatitude = 0.0;
    double rawLongitude = 0.0;
    fix.given = 0;
    const std::size_t scanned = std::min(text.size(), GPS_SCAN_LIMIT);
    int field = 0;
    for (std::size_t i = 0; i < scanned; ++i) {
        const std::uint8_t byte = text[i];
        if (byte == 0x00 || byte == 0xFF) break;
        if (byte != ',') continue;
        ++field;
        if (field != FIELD_LATITUDE && field != FIELD_LONGITUDE && field != FIELD_SPEED && field != FIELD_COURSE &&
            field != FIELD_ALTITUDE && field != FIELD_ALTITUDE2)
            continue;
        const std::optional<double> number = ReadDecimalNumber(text.subspan(i + 1));
        const double value = number.value_or(0.0);
        if (number) {
            static constexpr std::uint8_t BITS[] = {0,         0,          0, GPS_LATITUDE, 0,           GPS_LONGITUDE,
                                                    0,         GPS_SPEED, GPS_COURSE, 0, GPS_ALTITUDE, GPS_ALTITUDE2};
            fix.given |= BITS[field];
        }
        switch (field) {
        case FIELD_LATITUDE: rawLatitude = value; break;
        case FIELD_LONGITUDE: rawLongitude = value; break;
        case FIELD_SPEED: fix.speed = NarrowToFloat(value * KNOTS_TO_MPS); break;
        case FIELD_COURSE: fix.course = NarrowToFloat(value); break;
        case FIELD_ALTITUDE: fix.altitude = NarrowToFloat(value); break;
        default: break;
        }
        if (field == FIELD_ALTITUDE2) {
            fix.altitude2 = NarrowToFloat(value);
            break;
        }
    }
    fix.latitude = DegreesFromDegreesMinutes(rawLatitude);
    fix.longitude = DegreesFromDegreesMinutes(rawLongitude);
}

bool WithinTrackLimit(double u, double v) {
    // Written so that a NaN falls on the out-of-range side.
    return u >= -TRACK_LIMIT && u <= TRACK_LIMIT && v >= -TRACK_LIMIT && v <= TRACK_LIMIT;
}

void ComputeTrack(const CVarneloDoc& doc, int count, GpsTrack& track) {
    track.max_x = track.min_x = track.max_y = track.min_y = 0.0;
    const int n = std::clamp(count, 0, RECORD_CAPACITY);
    for (std::size_t i = 0; i < static_cast<std::size_t>(n); ++i) {
        // The four motion values keep what the slot held when the
        // sentence does not reach their fields.
        GpsFix fix{0.0, 0.0, track.speed[i], track.course[i], track.altitude[i], track.altitude2[i]};
        const std::span<const std::uint8_t> sentence = GpsSentenceBytes(doc.record(static_cast<int>(i)));
        ParseGpsText(sentence, fix);
        if (HasGpsFix(fix, ReadPositionMarks(sentence))) fix.given |= GPS_FIX;
        track.given[i] = fix.given;
        track.latitude[i] = fix.latitude;
        track.longitude[i] = fix.longitude;
        track.speed[i] = fix.speed;
        track.course[i] = fix.course;
        track.altitude[i] = fix.altitude;
        track.altitude2[i] = fix.altitude2;
    }

    // The plane track hangs on the first position, so it is laid in order.
    double originLatitude = 0.0;
    double originLongitude = 0.0;
    bool haveOrigin = false;
    for (int r = 0; r < n; ++r) {
        const auto i = static_cast<std::size_t>(r);
        if (!haveOrigin) {
            track.x[i] = 0.0;
            track.y[i] = 0.0;
            originLatitude = track.latitude[i];
            originLongitude = track.longitude[i];
            haveOrigin = originLatitude != 0.0 || originLongitude != 0.0;
        } else {
            const double dlat = track.latitude[i] - originLatitude;
            const double dlon = track.longitude[i] - originLongitude;
            // The cosine is of the latitude difference, not of the latitude:
            // tracks keep the shape they have always been drawn with.
            const double u = dlon * TRACK_SCALE * std::cos(dlat * TRACK_PI / 180.0);
            const double v = dlat * TRACK_SCALE;
            if (WithinTrackLimit(u, v)) {
                track.x[i] = u;
                track.y[i] = -v;
            } else {
                track.x[i] = track.x[i - 1];
                track.y[i] = track.y[i - 1];
            }
        }
        track.min_x = std::min(track.min_x, track.x[i]);
        track.max_x = std::max(track.max_x, track.x[i]);
        track.min_y = std::min(track.min_y, track.y[i]);
        track.max_y = std::max(track.max_y, track.y[i]);
    }
}

}  // namespace varnelo
