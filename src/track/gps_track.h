#pragma once
// GPS sentences of the records turned into positions, motion values and a
// local plane track measured from the first record that has a position.

#include <cstdint>
#include <span>
#include <vector>

#include "data/document.h"
#include "data/layout.h"
#include "data/measurement_record.h"

namespace varnelo {

inline constexpr std::size_t GPS_SCAN_LIMIT = 128;
inline constexpr double KNOTS_TO_MPS = 0.51444;
inline constexpr double TRACK_SCALE = 1852.0;
inline constexpr double TRACK_LIMIT = 1000.0;
inline constexpr double TRACK_PI = 3.1415926535;

// Which values a sentence actually carried: a field that is empty, holds no
// number or lies beyond the end of the sentence is missing, whatever number
// its slot shows.
enum GpsField : std::uint8_t {
    GPS_LATITUDE = 1,
    GPS_LONGITUDE = 2,
    GPS_SPEED = 4,
    GPS_COURSE = 8,
    GPS_ALTITUDE = 16,
    GPS_ALTITUDE2 = 32,
    // Not a field: the record has a position (both numbers, not both 0, and
    // a status other than "V").
    GPS_FIX = 64,
};

// What one record's sentence yields.
struct GpsFix {
    double latitude = 0.0;
    double longitude = 0.0;
    float speed = 0.0f;
    float course = 0.0f;
    float altitude = 0.0f;
    float altitude2 = 0.0f;
    std::uint8_t given = 0;  // GpsField bits of the fields this sentence held

    bool has(GpsField field) const { return (given & field) != 0; }
};

// Per-record values sized for RECORD_CAPACITY, indexed by record index, all
// zero at first; slots beyond the current count keep whatever they held.
struct GpsTrack {
    GpsTrack();

    std::vector<double> x, y;                    // track units, y growing southwards
    std::vector<double> latitude, longitude;     // decimal degrees
    std::vector<float> speed, course, altitude, altitude2;
    std::vector<std::uint8_t> given;             // GpsField bits of the record's own sentence
    double max_x = 0.0, min_x = 0.0, max_y = 0.0, min_y = 0.0;
};

// The bytes a record's sentence may be read from: its 128-byte gps_text and
// the rest of the record behind it. Fields are looked for in the first
// GPS_SCAN_LIMIT bytes only; a number that starts there is read to its end,
// but never past the end of the record.
std::span<const std::uint8_t> GpsSentenceBytes(const MeasurementRecord& record);

// Writes latitude and longitude always; speed, course, altitude, altitude2
// only when the scan reaches their fields. `given` tells which of the six
// fields held a number (GPS_FIX is left to the caller, see HasGpsFix). Fields are searched within the
// first GPS_SCAN_LIMIT bytes of text (less if text is shorter); a number that
// starts there may run on up to the end of text.
void ParseGpsText(std::span<const std::uint8_t> text, GpsFix& fix);

// What a sentence says of its position besides the numbers: the status of
// field 2 ("V", void: no fix) and the hemisphere letters of fields 4 ("S")
// and 6 ("W"). The track, the charts and the CSV file keep the unsigned
// positions; these are for the files that carry signed ones.
struct PositionMarks {
    bool noFix = false;
    bool south = false;
    bool west = false;
};

// Scans like ParseGpsText: within the first GPS_SCAN_LIMIT bytes, up to a NUL
// or 0xFF byte.
PositionMarks ReadPositionMarks(std::span<const std::uint8_t> text);

// Whether the fix's position is one: both numbers present, finite, within
// the globe, not both 0, and not marked void.
bool HasGpsFix(const GpsFix& fix, const PositionMarks& marks);

// ddmm.mmmm (or dddmm.mmmm) to decimal degrees, the whole degrees cut toward
// zero. Defined for every input: a non-finite value is returned as it is.
double DegreesFromDegreesMinutes(double raw);

// Whether a local point (u east, v north, track units) lies within
// TRACK_LIMIT of the origin on both axes, the limit itself included; a NaN
// does not.
bool WithinTrackLimit(double u, double v);

// Rebuilds the track of records 0..count-1 from scratch (count held to
// 0..RECORD_CAPACITY).
void ComputeTrack(const CVarneloDoc& doc, int count, GpsTrack& track);

}  // namespace varnelo
