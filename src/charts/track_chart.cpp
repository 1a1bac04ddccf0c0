#include "charts/track_chart.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <utility>
#include <vector>

#include "charts/colour_map.h"
#include "charts/palette.h"
#include "text/number_text.h"

namespace varnelo {

namespace {

constexpr int CROSS_ARM = 5;

// An em dash where a value does not exist: a 0 would be read as a value.
constexpr const char* MISSING_VALUE = "\xE2\x80\x94";

bool HasSlot(int k, std::size_t size) { return k >= 0 && static_cast<std::size_t>(k) < size; }

// The scale: a bar from the smallest value (bottom) to the largest (top),
// the two values at its ends and the index's name beside it.
constexpr int SCALE_INSET = 4;
constexpr int SCALE_WIDTH = 6;
constexpr int SCALE_TEXT_ROOM = 17;
constexpr int SCALE_NAME_GAP = 3;
constexpr int SCALE_HALF_TEXT = 7;

void DrawScale(Canvas& canvas, const Rect& inner, const TrackColouring& colouring) {
    const int left = inner.left + SCALE_INSET;
    const int top = inner.top + SCALE_TEXT_ROOM + 1;
    const int bottom = inner.bottom - SCALE_TEXT_ROOM;
    const int decimals = IndexReadoutDecimals(colouring.index);
    const int right = inner.right - TRACK_TEXT_MARGIN;
    canvas.textOutWithin({left, inner.top + 3}, FixedText(colouring.max, 0, decimals), right);
    canvas.textOutWithin({left, bottom + 1}, FixedText(colouring.min, 0, decimals), right);
    std::string name = IndexName(colouring.index);
    if (const std::string_view unit = IndexUnit(colouring.index); !unit.empty()) name.append(" ").append(unit);
    canvas.textOutWithin({left + SCALE_WIDTH + SCALE_NAME_GAP, (top + bottom) / 2 - SCALE_HALF_TEXT}, name, right);
    const int rows = bottom - top;
    for (int y = top; y < bottom; ++y) {
        const double t = rows > 1 ? static_cast<double>(bottom - 1 - y) / (rows - 1) : 0.5;
        canvas.fillRect({left, y, left + SCALE_WIDTH, y + 1}, ViridisColour(t));
    }
}

// points: the records' pixels as the track was drawn through them.
void DrawDots(Canvas& canvas, const Rect& client, const std::vector<Point>& points, const TrackColouring& colouring) {
    const int n = static_cast<int>(std::min(points.size(), colouring.values.size()));
    constexpr int BEFORE = TRACK_DOT_SIDE / 2;
    constexpr int AFTER = TRACK_DOT_SIDE - BEFORE - 1;
    // A dot whose centre a later dot takes again is covered by it whole, so
    // only the last dot of each centre is drawn, still in record order: the
    // picture is the same, the work that of the pixels the track visits.
    const int left = client.left - AFTER;
    const int top = client.top - AFTER;
    const int width = client.right + BEFORE - left;
    const int height = client.bottom + BEFORE - top;
    if (width <= 0 || height <= 0) return;
    std::vector<std::uint8_t> taken(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    std::vector<std::pair<Point, std::size_t>> drawn;
    drawn.reserve(static_cast<std::size_t>(n));
    for (int r = n - 1; r >= 0; --r) {
        const auto i = static_cast<std::size_t>(r);
        if (!colouring.values[i]) continue;
        const Point p = points[i];
        const int col = p.x - left;
        const int row = p.y - top;
        if (col < 0 || row < 0 || col >= width || row >= height) continue;  // no pixel of it shows
        std::uint8_t& at = taken[static_cast<std::size_t>(row) * static_cast<std::size_t>(width) + static_cast<std::size_t>(col)];
        if (at != 0) continue;
        at = 1;
        drawn.emplace_back(p, i);
    }
    for (auto it = drawn.rbegin(); it != drawn.rend(); ++it) {
        const Point p = it->first;
        canvas.fillRect({p.x - BEFORE, p.y - BEFORE, p.x - BEFORE + TRACK_DOT_SIDE, p.y - BEFORE + TRACK_DOT_SIDE},
                        TrackValueColour(colouring, *colouring.values[it->second]));
    }
}

// The motion readout as the chart has always drawn it where it fits whole
// at the chart's font; else its three readouts apart, in a font small
// enough for them to fit the line, and on two lines at the smallest font
// where even that is too wide, so that a value is never run into the next
// one's name nor drawn past the frame.
constexpr int MOTION_LEFT = 20;
constexpr int MOTION_TOP = 25;
constexpr int SMALLEST_TEXT_PIXELS = 7;

void DrawMotion(Canvas& canvas, const Rect& c, const TrackMotionParts& parts) {
    const int left = c.left + MOTION_LEFT;
    const int right = c.right - TRACK_TEXT_MARGIN;
    const std::string whole = JoinMotionParts(parts);
    const std::string_view shown = std::string_view(whole).substr(0, whole.size() - 1);  // less the final space
    const int own = canvas.textPixels();
    if (own <= 0 || canvas.textWidth(shown, own) <= right - left) {
        canvas.textOutWithin({left, c.bottom - MOTION_TOP}, whole, right);
        return;
    }
    for (int pixels = own; pixels >= SMALLEST_TEXT_PIXELS; --pixels) {
        const int gap = pixels / 2 + 2;
        int widths[3];
        int total = 2 * gap;
        for (int i = 0; i < 3; ++i) total += widths[i] = canvas.textWidth(parts[static_cast<std::size_t>(i)], pixels);
        if (total > right - left) continue;
        int x = left;
        for (int i = 0; i < 3; ++i) {
            canvas.textOutSized({x, c.bottom - MOTION_TOP}, parts[static_cast<std::size_t>(i)], pixels);
            x += widths[i] + gap;
        }
        return;
    }
    // Speed and course above, the altitudes below, both between the inner
    // frame and the outer one.
    const int line = (MOTION_TOP + 3) / 2;
    canvas.textOutWithin({left, c.bottom - MOTION_TOP - 3}, parts[0] + " " + parts[1], right);
    canvas.textOutWithin({left, c.bottom - MOTION_TOP - 3 + line}, parts[2], right);
}

// The inside of the inner frame, its outline left out.
Rect InsideOf(const Rect& r) { return {r.left + 1, r.top + 1, r.right - 1, r.bottom - 1}; }
// Where the track itself can be drawn: inside the inner frame's left and top
// lines, and up to the track's last column and row at its right and bottom,
// which a point at the edge of the track's extent is mapped to.
Rect TrackArea(const Rect& inner) { return {inner.left + 1, inner.top + 1, inner.right + 1, inner.bottom + 1}; }

void DrawChart(Canvas& canvas, const TrackChartData& data, int k, const TrackColouring* colouring) {
    const Rect c = canvas.clientRect();
    canvas.rectangle(c);
    const TrackGeometry g = ComputeTrackGeometry(c, data);
    const int textRight = c.right - TRACK_TEXT_MARGIN;
    canvas.textOutWithin({c.left + 50, c.top + 5}, TrackExtentReadout(g.dx, g.dy), textRight);
    const std::size_t motionSlots = std::min({data.speed.size(), data.course.size(), data.altitude.size(), data.altitude2.size()});
    if (HasSlot(k, motionSlots)) {
        DrawMotion(canvas, c, TrackMotionPartsOf(data, static_cast<std::size_t>(k)));
    }
    canvas.rectangle(g.inner);
    // The colours stay in the inner frame, whatever the chart's size.
    if (colouring != nullptr && colouring->any) {
        canvas.setClip(InsideOf(g.inner));
        DrawScale(canvas, g.inner, *colouring);
        canvas.resetClip();
    }
    if (!(g.extent > 0.0)) return;

    const std::size_t pointSlots = std::min(data.x.size(), data.y.size());
    const int count = std::clamp(data.count, 0, static_cast<int>(std::min<std::size_t>(pointSlots, RECORD_CAPACITY)));
    Point previous;
    std::vector<Point> points;  // kept for the coloured dots only
    if (colouring != nullptr) points.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        const Point p = MapTrackPoint(g, data.x[static_cast<std::size_t>(i)], data.y[static_cast<std::size_t>(i)]);
        if (colouring != nullptr) points.push_back(p);
        if (i == 0) {
            canvas.moveTo(p);
        } else if (p != previous) {
            canvas.lineTo(p);
        }
        previous = p;
    }
    if (colouring != nullptr) {
        canvas.setClip(TrackArea(g.inner));
        DrawDots(canvas, c, points, *colouring);
        canvas.resetClip();
    }

    if (!HasSlot(k, pointSlots)) return;
    const Pen remembered = canvas.selectPen(TRACK_CROSS_PEN);
    // The arms are offset from the exact position and truncated afterwards,
    // unlike the track's points, which are truncated as they are mapped.
    const double X = TrackPixelX(g, data.x[static_cast<std::size_t>(k)]);
    const double Y = TrackPixelY(g, data.y[static_cast<std::size_t>(k)]);
    canvas.moveTo({TruncateToPixel(X - CROSS_ARM), TruncateToPixel(Y)});
    canvas.lineTo({TruncateToPixel(X + CROSS_ARM), TruncateToPixel(Y)});
    canvas.moveTo({TruncateToPixel(X), TruncateToPixel(Y + CROSS_ARM)});
    canvas.lineTo({TruncateToPixel(X), TruncateToPixel(Y - CROSS_ARM)});
    canvas.selectPen(remembered);
}

}  // namespace

TrackGeometry ComputeTrackGeometry(const Rect& client, const TrackChartData& data) {
    TrackGeometry g;
    g.inner = {client.left + 10, client.top + 30, client.right - 10, client.bottom - 30};
    const int width = g.inner.right - g.inner.left;
    const int height = g.inner.bottom - g.inner.top;
    g.side = height < width ? height : width;
    g.dx = data.max_x - data.min_x;
    g.dy = data.max_y - data.min_y;
    g.extent = g.dx > g.dy ? g.dx : g.dy;
    const double cx = (data.min_x + data.max_x) * 0.5;
    const double cy = (data.min_y + data.max_y) * 0.5;
    g.xr = cx + g.extent * 0.5;
    g.yt = cy + g.extent * 0.5;
    return g;
}

double TrackPixelX(const TrackGeometry& g, double x) { return g.inner.right - g.side * (g.xr - x) / g.extent; }
double TrackPixelY(const TrackGeometry& g, double y) { return g.inner.bottom - g.side * (g.yt - y) / g.extent; }

int TruncateToPixel(double v) {
    if (std::isnan(v)) return static_cast<int>(-TRACK_PIXEL_LIMIT);
    return static_cast<int>(std::clamp(std::trunc(v), -TRACK_PIXEL_LIMIT, TRACK_PIXEL_LIMIT));
}

Point MapTrackPoint(const TrackGeometry& g, double x, double y) {
    return {TruncateToPixel(TrackPixelX(g, x)), TruncateToPixel(TrackPixelY(g, y))};
}

std::string TrackExtentReadout(double dx, double dy) {
    return "GPS XW:" + FixedText(dx, 4, 3) + ", YH:" + FixedText(dy, 4, 3);
}

std::string TrackMotionReadout(double speed, double course, double altitude, double altitude2) {
    return "V: " + FixedText(speed, 3, 1) + " m/s D: " + FixedText(course, 3, 1) + " deg A: " +
           FixedText(altitude, 3, 1) + " / " + FixedText(altitude2, 3, 1) + " m ";
}

TrackMotionParts TrackMotionPartsOf(const TrackChartData& data, std::size_t i) {
    const std::uint8_t given = i < data.given.size() ? data.given[i] : 0xFF;
    const auto value = [&](float v, GpsField field) {
        return (given & GPS_FIX) != 0 && (given & field) != 0 ? FixedText(v, 3, 1) : std::string(MISSING_VALUE);
    };
    return {"V: " + value(data.speed[i], GPS_SPEED) + " m/s", "D: " + value(data.course[i], GPS_COURSE) + " deg",
            "A: " + value(data.altitude[i], GPS_ALTITUDE) + " / " + value(data.altitude2[i], GPS_ALTITUDE2) + " m"};
}

std::string JoinMotionParts(const TrackMotionParts& parts) {
    return parts[0] + " " + parts[1] + " " + parts[2] + " ";
}

std::string TrackMotionReadout(const TrackChartData& data, std::size_t i) {
    return JoinMotionParts(TrackMotionPartsOf(data, i));
}

void DrawTrackFrame(Canvas& canvas) {
    const Rect c = canvas.clientRect();
    canvas.rectangle(c);
    canvas.rectangle({c.left + 10, c.top + 10, c.right - 10, c.bottom - 10});
}

void DrawTrackChart(Canvas& canvas, const TrackChartData& data, int k) { DrawChart(canvas, data, k, nullptr); }

TrackColouring MakeTrackColouring(const SpectralIndex& index, std::span<const IndexValue> values) {
    TrackColouring colouring{index, values};
    for (const IndexValue& v : values) {
        if (!v) continue;
        colouring.min = colouring.any ? std::min(colouring.min, *v) : *v;
        colouring.max = colouring.any ? std::max(colouring.max, *v) : *v;
        colouring.any = true;
    }
    return colouring;
}

Rgb TrackValueColour(const TrackColouring& colouring, double value) {
    const double span = colouring.max - colouring.min;
    return ViridisColour(span > 0.0 ? (value - colouring.min) / span : 0.5);
}

void DrawTrackChart(Canvas& canvas, const TrackChartData& data, int k, const TrackColouring& colouring) {
    DrawChart(canvas, data, k, &colouring);
}

}  // namespace varnelo
