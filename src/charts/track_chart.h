#pragma once
// The track chart: the local track of all records as one polyline in a
// square of one scale for both axes, east to the right and north up, the
// selected record marked by a red cross, and two readouts.

#include <array>
#include <cstdint>
#include <span>
#include <string>

#include "analysis/spectral_index.h"
#include "charts/canvas.h"
#include "track/gps_track.h"

namespace varnelo {

// What the chart reads of a computed track.
struct TrackChartData {
    int count = 0;                  // records 0..count-1 make the polyline
    std::span<const double> x, y;   // per record, track units, y growing southwards
    std::span<const float> speed, course, altitude, altitude2;  // per record
    // Per record, GpsField bits of what its sentence carried; when empty,
    // every value counts as carried.
    std::span<const std::uint8_t> given;
    double max_x = 0.0, min_x = 0.0, max_y = 0.0, min_y = 0.0;
};

// The first count records of a track (count held to its slots).
inline TrackChartData TrackChartDataOf(const GpsTrack& track, int count) {
    TrackChartData d;
    d.count = count;
    d.x = track.x;
    d.y = track.y;
    d.speed = track.speed;
    d.course = track.course;
    d.altitude = track.altitude;
    d.altitude2 = track.altitude2;
    d.given = track.given;
    d.max_x = track.max_x;
    d.min_x = track.min_x;
    d.max_y = track.max_y;
    d.min_y = track.min_y;
    return d;
}

// Where the square of the track's extent lands in a client rectangle.
struct TrackGeometry {
    Rect inner;        // the client rectangle less 10 px at the sides, 30 px above and below
    int side = 0;      // S: the shorter side of the inner rectangle
    double dx = 0.0;   // width extent
    double dy = 0.0;   // height extent
    double extent = 0.0;  // E: the larger of dx and dy
    double xr = 0.0;   // track x at the square's right edge
    double yt = 0.0;   // track y at the square's bottom edge (y grows southwards)
};

TrackGeometry ComputeTrackGeometry(const Rect& client, const TrackChartData& data);

// The untruncated pixel position of a track point; meaningful when extent > 0.
double TrackPixelX(const TrackGeometry& g, double x);
double TrackPixelY(const TrackGeometry& g, double y);

// Truncation toward zero to a pixel coordinate. Values beyond +-2^24 pixels
// (far outside any surface) are held there and a not-a-number counts as
// -2^24, so no input can make the conversion overflow.
inline constexpr double TRACK_PIXEL_LIMIT = 16777216.0;
int TruncateToPixel(double v);

Point MapTrackPoint(const TrackGeometry& g, double x, double y);

// "GPS XW:%4.3f, YH:%4.3f"
std::string TrackExtentReadout(double dx, double dy);
// "V: %3.1f m/s D: %3.1f deg A: %3.1f / %3.1f m " (with its final space)
std::string TrackMotionReadout(double speed, double course, double altitude, double altitude2);
// The motion readout's three readouts, each whole: "V: … m/s", "D: … deg",
// "A: … / … m"; joined by one space each, with the final space, they are
// the readout.
using TrackMotionParts = std::array<std::string, 3>;
TrackMotionParts TrackMotionPartsOf(const TrackChartData& data, std::size_t i);
std::string JoinMotionParts(const TrackMotionParts& parts);
// Record i's motion readout: as above for a record with a fix, each value
// its sentence did not carry shown as "—"; all four "—" without a fix.
std::string TrackMotionReadout(const TrackChartData& data, std::size_t i);

// The readouts and the scale's labels end this far inside the frame's
// right edge, in a smaller font where the chart's own does not fit.
inline constexpr int TRACK_TEXT_MARGIN = 2;

// The empty chart: the frame and the inner frame only.
void DrawTrackFrame(Canvas& canvas);

// The whole chart with the cross at record k. A track without extent (one
// point, or all alike) shows the frames and readouts only. A k outside the
// track's slots draws neither the motion readout nor the cross. A motion
// readout too wide for the frame is drawn as its three readouts apart (see
// TrackMotionParts), smaller, or on two lines: never past the frame.
void DrawTrackChart(Canvas& canvas, const TrackChartData& data, int k);

// A spectral index's colouring of the track: each record's point in the
// viridis colour of its value, scaled over the range of the values that
// exist. A record without a value keeps the plain track only.
struct TrackColouring {
    SpectralIndex index;
    std::span<const IndexValue> values;  // per record, from record 0
    double min = 0.0;
    double max = 0.0;
    bool any = false;  // some record has a value: min and max hold
};

TrackColouring MakeTrackColouring(const SpectralIndex& index, std::span<const IndexValue> values);

// The map's colour of a value: the middle of the map when all values are alike.
Rgb TrackValueColour(const TrackColouring& colouring, double value);

// Side of the square each coloured point is drawn as, centred on its pixel.
inline constexpr int TRACK_DOT_SIDE = 3;

// The chart as above, with every record's point coloured over the plain
// track and a small min-max scale at the inner frame's left; the cross
// stays on top. The scale is left out when no record has a value.
void DrawTrackChart(Canvas& canvas, const TrackChartData& data, int k, const TrackColouring& colouring);

}  // namespace varnelo
