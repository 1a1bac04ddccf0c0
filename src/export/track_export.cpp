#include "export/track_export.h"

#include <algorithm>
#include <cctype>
#include <cmath>

#include "export/clock_offset.h"
#include "io/atomic_file.h"
#include "export/export_text.h"
#include "text/fixed_format.h"

namespace varnelo {

using namespace export_text;

namespace {

std::string Fixed(double value, int decimals) {
    char text[DOUBLE_FIXED_TEXT_MAX];
    return std::string(text, AppendUnsignedZero(text, value, decimals));
}

}  // namespace

std::string RecordIsoTime(const MeasurementRecord& record) {
    const int year = record.year() + 1980;
    const int month = record.month();
    const int day = record.day();
    const int hour = record.hour();
    const int minute = record.minute();
    const int second = record.second();
    static constexpr int DAYS[12] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > DAYS[month - 1]) return {};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    if (month == 2 && day == 29 && !leap) return {};
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59) return {};
    return IsoDateTimeText(year, month, day, hour, minute, second);
}

std::string PositionText(double degrees) { return Fixed(degrees, POSITION_DECIMALS); }

std::optional<SignedPosition> SignedPositionOf(const MeasurementRecord& record, double latitude, double longitude,
                                               std::uint8_t given) {
    const PositionMarks marks = ReadPositionMarks(GpsSentenceBytes(record));
    GpsFix fix;
    fix.latitude = latitude;
    fix.longitude = longitude;
    fix.given = given;
    if (!HasGpsFix(fix, marks)) return std::nullopt;
    return SignedPosition{marks.south ? -std::fabs(latitude) : latitude, marks.west ? -std::fabs(longitude) : longitude};
}

std::optional<TrackFormat> TrackFormatForPath(const std::filesystem::path& path) {
    std::string extension = path.extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (extension == ".gpx") return TrackFormat::Gpx;
    if (extension == ".geojson" || extension == ".json") return TrackFormat::GeoJson;
    return std::nullopt;
}

std::vector<TrackPoint> TrackPoints(const CVarneloDoc& doc, const GpsTrack& track, const std::optional<int>& utcOffset) {
    std::vector<TrackPoint> points;
    const int count = std::clamp(doc.recordCount(), 0, RECORD_CAPACITY);
    for (int i = 0; i < count; ++i) {
        const auto k = static_cast<std::size_t>(i);
        const std::optional<SignedPosition> at = SignedPositionOf(doc.record(i), track.latitude[k], track.longitude[k], track.given[k]);
        if (!at) continue;
        std::optional<float> altitude;
        if ((track.given[k] & GPS_ALTITUDE) != 0 && std::isfinite(track.altitude[k])) altitude = track.altitude[k];
        TrackPoint& p = points.emplace_back(TrackPoint{i, at->latitude, at->longitude, altitude,
                                                       ResultTime(doc.record(i), utcOffset), std::string(), std::nullopt});
        if (!utcOffset) continue;
        p.utcTime = UtcIsoTime(doc.record(i), *utcOffset);
        if (const std::optional<double> seconds = UtcSeconds(doc.record(i), *utcOffset))
            p.sun = SolarPosition(*seconds, at->latitude, at->longitude);
    }
    return points;
}

std::string GpxText(const std::vector<TrackPoint>& points) {
    std::string text =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<gpx version=\"1.1\" creator=\"Varnelo\" xmlns=\"http://www.topografix.com/GPX/1/1\">\n"
        "  <trk>\n"
        "    <trkseg>\n";
    for (const TrackPoint& p : points) {
        text += "      <trkpt lat=\"" + Fixed(p.latitude, POSITION_DECIMALS) + "\" lon=\"" +
                Fixed(p.longitude, POSITION_DECIMALS) + "\">";
        if (p.altitude) text += "<ele>" + Fixed(*p.altitude, ALTITUDE_DECIMALS) + "</ele>";
        // GPX times are UTC; a time without a zone is the best it can say otherwise.
        const std::string& time = p.utcTime.empty() ? p.time : p.utcTime;
        if (!time.empty()) text += "<time>" + time + "</time>";
        text += "</trkpt>\n";
    }
    text +=
        "    </trkseg>\n"
        "  </trk>\n"
        "</gpx>\n";
    return text;
}

std::string GeoJsonText(const std::vector<TrackPoint>& points, bool sun) {
    const auto appendPosition = [](std::string& text, const TrackPoint& p) {
        text += '[';
        text += Fixed(p.longitude, POSITION_DECIMALS);
        text += ',';
        text += Fixed(p.latitude, POSITION_DECIMALS);
        if (p.altitude) {
            text += ',';
            text += Fixed(*p.altitude, ALTITUDE_DECIMALS);
        }
        text += ']';
    };
    std::string text = "{\"type\":\"FeatureCollection\",\"features\":[";
    if (!points.empty()) {
        // A line needs two positions; a single fix is a point.
        const bool line = points.size() > 1;
        text += "\n{\"type\":\"Feature\",\"geometry\":{\"type\":\"";
        text += line ? "LineString\",\"coordinates\":[" : "Point\",\"coordinates\":";
        for (std::size_t i = 0; i < points.size(); ++i) {
            if (line) text += i == 0 ? "\n" : ",\n";
            appendPosition(text, points[i]);
        }
        text += line ? "]},\n" : "},\n";
        std::string records, times, zeniths, azimuths;
        for (std::size_t i = 0; i < points.size(); ++i) {
            if (i > 0) {
                for (std::string* list : {&records, &times, &zeniths, &azimuths}) *list += ',';
            }
            const TrackPoint& p = points[i];
            records += std::to_string(p.record);
            times += p.time.empty() ? "null" : "\"" + p.time + "\"";
            zeniths += p.sun ? Fixed(p.sun->zenith, SUN_DECIMALS) : "null";
            azimuths += p.sun ? Fixed(p.sun->azimuth, SUN_DECIMALS) : "null";
        }
        text += "\"properties\":{\"records\":[" + records + "],\"coordinateProperties\":{\"times\":[" + times + "]";
        if (sun) text += ",\"sun_zenith\":[" + zeniths + "],\"sun_azimuth\":[" + azimuths + "]";
        text += "}}}\n";
    }
    text += "]}\n";
    return text;
}

ExportResult ExportTrack(const std::filesystem::path& target, const CVarneloDoc& doc, const GpsTrack& track,
                         TrackFormat format, const std::optional<int>& utcOffset) {
    const std::vector<TrackPoint> points = TrackPoints(doc, track, utcOffset);
    const std::string text = format == TrackFormat::Gpx ? GpxText(points) : GeoJsonText(points, utcOffset.has_value());
    AtomicFileWriter file(target);
    if (!file.open() || !file.write(text) || !file.commit()) return ExportResult{file.status()};
    return {};
}

}  // namespace varnelo
