#pragma once
// A canvas that paints nothing and remembers every operation, each with the
// pen in force when it happened; the charts are checked against it.

#include <string>
#include <vector>

#include "charts/canvas.h"

namespace varnelo {

struct CanvasOp {
    enum class Kind { Rectangle, MoveTo, LineTo, TextOut, SelectPen, FillRect };
    Kind kind = Kind::MoveTo;
    Rect rect;         // Rectangle, FillRect
    Point point;       // MoveTo, LineTo, TextOut
    std::string text;  // TextOut
    Pen pen;           // the pen in force; for SelectPen the pen selected
    Rgb fill;          // FillRect
};

class RecordingCanvas : public Canvas {
public:
    explicit RecordingCanvas(Rect client) : m_client(client) {}

    Rect clientRect() const override { return m_client; }
    void rectangle(const Rect& r) override;
    void moveTo(Point p) override;
    void lineTo(Point p) override;
    void textOut(Point origin, std::string_view text) override;
    Pen selectPen(const Pen& pen) override;
    void fillRect(const Rect& r, Rgb colour) override;

    const std::vector<CanvasOp>& ops() const { return m_ops; }
    const Pen& currentPen() const { return m_pen; }

    // Convenience views for checks.
    std::vector<CanvasOp> opsOfKind(CanvasOp::Kind kind) const;
    // The line segments as drawn: from the position before each line-to to
    // its end point, with the pen.
    struct Segment {
        Point from;
        Point to;
        Pen pen;
    };
    std::vector<Segment> segments() const;
    // The first text-out whose text equals text, or nullptr.
    const CanvasOp* findText(std::string_view text) const;

private:
    Rect m_client;
    Pen m_pen = DEFAULT_PEN;
    std::vector<CanvasOp> m_ops;
};

}  // namespace varnelo
