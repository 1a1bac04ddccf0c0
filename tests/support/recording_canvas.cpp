#include "support/recording_canvas.h"

namespace varnelo {

void RecordingCanvas::rectangle(const Rect& r) { m_ops.push_back({CanvasOp::Kind::Rectangle, r, {}, {}, m_pen, {}}); }

void RecordingCanvas::moveTo(Point p) { m_ops.push_back({CanvasOp::Kind::MoveTo, {}, p, {}, m_pen, {}}); }

void RecordingCanvas::lineTo(Point p) { m_ops.push_back({CanvasOp::Kind::LineTo, {}, p, {}, m_pen, {}}); }

void RecordingCanvas::textOut(Point origin, std::string_view text) {
    m_ops.push_back({CanvasOp::Kind::TextOut, {}, origin, std::string(text), m_pen, {}});
}

Pen RecordingCanvas::selectPen(const Pen& pen) {
    m_ops.push_back({CanvasOp::Kind::SelectPen, {}, {}, {}, pen, {}});
    const Pen previous = m_pen;
    m_pen = pen;
    return previous;
}

void RecordingCanvas::fillRect(const Rect& r, Rgb colour) {
    m_ops.push_back({CanvasOp::Kind::FillRect, r, {}, {}, m_pen, colour});
}

std::vector<CanvasOp> RecordingCanvas::opsOfKind(CanvasOp::Kind kind) const {
    std::vector<CanvasOp> out;
    for (const CanvasOp& op : m_ops) {
        if (op.kind == kind) out.push_back(op);
    }
    return out;
}

std::vector<RecordingCanvas::Segment> RecordingCanvas::segments() const {
    std::vector<Segment> out;
    Point position;
    for (const CanvasOp& op : m_ops) {
        if (op.kind == CanvasOp::Kind::MoveTo) {
            position = op.point;
        } else if (op.kind == CanvasOp::Kind::LineTo) {
            out.push_back({position, op.point, op.pen});
            position = op.point;
        }
    }
    return out;
}

const CanvasOp* RecordingCanvas::findText(std::string_view text) const {
    for (const CanvasOp& op : m_ops) {
        if (op.kind == CanvasOp::Kind::TextOut && op.text == text) return &op;
    }
    return nullptr;
}

}  // namespace varnelo
