#pragma once
// Reading the recorded operations of a chart back as curves and strokes.

#include <vector>

#include "charts/track_chart.h"
#include "support/recording_canvas.h"

namespace varnelo::test {

// The move-to and line-to points drawn with the given pen, in order.
inline std::vector<Point> PointsDrawnWith(const RecordingCanvas& canvas, const Pen& pen) {
    std::vector<Point> out;
    for (const CanvasOp& op : canvas.ops()) {
        if ((op.kind == CanvasOp::Kind::MoveTo || op.kind == CanvasOp::Kind::LineTo) && op.pen == pen) out.push_back(op.point);
    }
    return out;
}

// A small track held in vectors the chart views, as the form's track would be.
struct TrackFixture {
    std::vector<double> x, y;
    std::vector<float> speed, course, altitude, altitude2;
    double min_x = 0, max_x = 0, min_y = 0, max_y = 0;

    void add(double px, double py, float v = 0, float d = 0, float a = 0, float a2 = 0) {
        x.push_back(px);
        y.push_back(py);
        speed.push_back(v);
        course.push_back(d);
        altitude.push_back(a);
        altitude2.push_back(a2);
    }
    TrackChartData data() const {
        TrackChartData d;
        d.count = static_cast<int>(x.size());
        d.x = x;
        d.y = y;
        d.speed = speed;
        d.course = course;
        d.altitude = altitude;
        d.altitude2 = altitude2;
        d.min_x = min_x;
        d.max_x = max_x;
        d.min_y = min_y;
        d.max_y = max_y;
        return d;
    }
};

}  // namespace varnelo::test
