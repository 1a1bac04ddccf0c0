#pragma once
// The GPS track of a document as GPX 1.1 or GeoJSON: one point per record that
// has a position, in record order, with its altitude and its date and time.
// Unlike the CSV file these positions are signed: "S" and "W" make them
// negative. Records without a fix (position 0, 0, status "V", or no valid
// position at all) are left out. The logger's clock has no time zone, so
// times carry none either, unless its offset from UTC is known: then
// GeoJSON times carry the offset and GPX, whose times are UTC, ends in "Z";
// GeoJSON then places the sun at each point too.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/solar_position.h"
#include "data/document.h"
#include "export/csv_export.h"
#include "track/gps_track.h"

namespace varnelo {

enum class TrackFormat { Gpx, GeoJson };

// By the file name's extension: ".gpx", or ".geojson" / ".json"; any case.
std::optional<TrackFormat> TrackFormatForPath(const std::filesystem::path& path);

struct TrackPoint {
    int record = 0;
    double latitude = 0.0;
    double longitude = 0.0;
    std::optional<float> altitude;  // nothing when the sentence carried none
    std::string time;  // "2021-10-07T09:05:03", empty when the record's date is not a real one
    std::string utcTime;  // "2021-10-07T00:05:03Z" when the clock's offset is known
    std::optional<SunPosition> sun;  // the same, with a real date
};

// ISO 8601 local date and time of the logger's clock, "2021-10-07T09:05:03",
// or empty for a date the calendar does not have.
std::string RecordIsoTime(const MeasurementRecord& record);
inline constexpr std::size_t RECORD_ISO_TIME_MAX = std::string_view("2021-10-07T09:05:03").size();

struct SignedPosition {
    double latitude = 0.0;
    double longitude = 0.0;
};

// The record's parsed position signed by its hemisphere letters, or nothing
// when it has no fix: a position field missing, position 0, 0, status "V",
// or no valid position. `given` holds the GpsField bits of the sentence.
std::optional<SignedPosition> SignedPositionOf(const MeasurementRecord& record, double latitude, double longitude,
                                               std::uint8_t given);

// A position as text with 7 decimals; a value that rounds to zero is "0.0000000",
// never "-0.0000000".
std::string PositionText(double degrees);

// The records 0..recordCount()-1 that have a valid position, signed by hemisphere.
// With `utcOffset` (minutes), times carry it and utcTime is set.
std::vector<TrackPoint> TrackPoints(const CVarneloDoc& doc, const GpsTrack& track,
                                    const std::optional<int>& utcOffset = std::nullopt);

std::string GpxText(const std::vector<TrackPoint>& points);
// With `sun` (the clock's offset known), the coordinates' properties add
// sun_zenith and sun_azimuth, null where a point has no real time.
std::string GeoJsonText(const std::vector<TrackPoint>& points, bool sun = false);

// Written through a temporary file that replaces the target when complete.
ExportResult ExportTrack(const std::filesystem::path& target, const CVarneloDoc& doc, const GpsTrack& track,
                         TrackFormat format, const std::optional<int>& utcOffset = std::nullopt);

}  // namespace varnelo
