#pragma once
// Reading the recorded operations of a chart back as curves and strokes.

#include <vector>

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

}  // namespace varnelo::test
