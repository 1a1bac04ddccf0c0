#pragma once
// The chart canvas over a QPainter, reproducing the drawing conventions the
// charts are written for: rectangles cover left..right-1 and top..bottom-1
// with a white inside, a line leaves its end point unpainted, text stands on
// its top-left corner (not its baseline) in black on white, pens are solid
// and drawn without antialiasing.

#include <QFont>
#include <QPainter>

#include "charts/canvas.h"

namespace varnelo {

class QPainterCanvas : public Canvas {
public:
    // painter must be active on its device for the canvas's whole life; the
    // canvas sets the painter up and leaves it set up that way.
    QPainterCanvas(QPainter& painter, Rect client, const QFont& font);

    Rect clientRect() const override { return m_client; }
    void rectangle(const Rect& r) override;
    void moveTo(Point p) override;
    void lineTo(Point p) override;
    void textOut(Point origin, std::string_view text) override;
    void textOutWithin(Point origin, std::string_view text, int right) override;
    Pen selectPen(const Pen& pen) override;
    void fillRect(const Rect& r, Rgb colour) override;

    // Below this a text is not made smaller: it would no longer be read.
    static constexpr int SMALLEST_TEXT_PIXELS = 7;

private:
    void applyPen();

    QPainter& m_painter;
    Rect m_client;
    Pen m_pen = DEFAULT_PEN;
    Point m_position;
};

QColor ToQColor(Rgb colour);

}  // namespace varnelo
