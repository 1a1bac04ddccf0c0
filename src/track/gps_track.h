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

// What one record's sentence yields.
struct GpsFix {
    double latitude = 0.0;
    double longitude = 0.0;
    float speed = 0.0f;
    float course = 0.0f;
    float altitude = 0.0f;
    float altitude2 = 0.0f;
};

// Per-record values sized for RECORD_CAPACITY, indexed by record index, all
// zero at first; slots beyond the current count keep whatever they held.
struct GpsTrack {
    GpsTrack();

    std::vector<double> x, y;                    // track units, y growing southwards
    std::vector<double> latitude, longitude;     // decimal degrees
    std::vector<float> speed, course, altitude, altitude2;
    double max_x = 0.0, min_x = 0.0, max_y = 0.0, min_y = 0.0;
};

// The bytes a record's sentence may be read from: its 128-byte gps_text and
// the rest of the record behind it. Fields are looked for in the first
// GPS_SCAN_LIMIT bytes only; a number that starts there is read to its end,
// but never past the end of the record.
std::span<const std::uint8_t> GpsSentenceBytes(const MeasurementRecord& record);

// Writes latitude and longitude always; speed, course, altitude, altitude2
// only when the scan reaches their fields. Fields are searched within the
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

// ddmm.mmmm (or dddmm.mmmm) to decimal degrees, the whole degrees cut toward
// zero. Defined for every input: a non-finite value is returned as it is.
double DegreesFromDegreesMinutes(double raw);

// Rebuilds the track of records 0..count-1 from scratch (count held to
// 0..RECORD_CAPACITY).
void ComputeTrack(const CVarneloDoc& doc, int count, GpsTrack& track);

}  // namespace varnelo
