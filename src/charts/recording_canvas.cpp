#include "charts/recording_canvas.h"

namespace varnelo {

void RecordingCanvas::rectangle(const Rect& r) {
    CanvasOp op;
    op.kind = CanvasOp::Kind::Rectangle;
    op.rect = r;
    op.pen = m_pen;
    m_ops.push_back(std::move(op));
}

void RecordingCanvas::moveTo(Point p) {
    CanvasOp op;
    op.kind = CanvasOp::Kind::MoveTo;
    op.point = p;
    op.pen = m_pen;
    m_ops.push_back(std::move(op));
}

void RecordingCanvas::lineTo(Point p) {
    CanvasOp op;
    op.kind = CanvasOp::Kind::LineTo;
    op.point = p;
    op.pen = m_pen;
    m_ops.push_back(std::move(op));
}

void RecordingCanvas::textOut(Point origin, std::string_view text) {
    CanvasOp op;
    op.kind = CanvasOp::Kind::TextOut;
    op.point = origin;
    op.text = std::string(text);
    op.pen = m_pen;
    m_ops.push_back(std::move(op));
}

Pen RecordingCanvas::selectPen(const Pen& pen) {
    CanvasOp op;
    op.kind = CanvasOp::Kind::SelectPen;
    op.pen = pen;
    m_ops.push_back(std::move(op));
    const Pen previous = m_pen;
    m_pen = pen;
    return previous;
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
