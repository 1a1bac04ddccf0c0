#pragma once
// The chart canvas over a QPainter, reproducing the drawing conventions the
// charts are written for: rectangles cover left..right-1 and top..bottom-1
// with a white inside, a line leaves its end point unpainted, text stands on
// its top-left corner (not its baseline) in black on white, pens are solid
// and drawn without antialiasing.

#include <QFont>
#include <QPainter>
#include <QPolygonF>

#include "charts/canvas.h"

namespace varnelo {

class QPainterCanvas : public Canvas {
public:
    // painter must be active on its device for the canvas's whole life; the
    // canvas sets the painter up and leaves it set up that way. With a
    // scale other than 1 the chart is drawn as vectors, that many device
    // pixels to one of the client rectangle's, text and pens included; at 1
    // every pixel is set as the conventions above say. scaleY (0: the same
    // as scale) lets the client rectangle end exactly on the device's edge
    // where a uniform scale would leave a fraction of a pixel over.
    QPainterCanvas(QPainter& painter, Rect client, const QFont& font, double scale = 1.0, double scaleY = 0.0);
    ~QPainterCanvas() override;
    QPainterCanvas(const QPainterCanvas&) = delete;
    QPainterCanvas& operator=(const QPainterCanvas&) = delete;

    Rect clientRect() const override { return m_client; }
    void rectangle(const Rect& r) override;
    void moveTo(Point p) override;
    void lineTo(Point p) override;
    void textOut(Point origin, std::string_view text) override;
    void textOutWithin(Point origin, std::string_view text, int right) override;
    int textWidth(std::string_view text, int pixels) const override;
    int textPixels() const override;
    void textOutSized(Point origin, std::string_view text, int pixels) override;
    void setClip(const Rect& r) override;
    void resetClip() override;
    Pen selectPen(const Pen& pen) override;
    void fillRect(const Rect& r, Rgb colour) override;

    // Below this a text is not made smaller: it would no longer be read.
    static constexpr int SMALLEST_TEXT_PIXELS = 7;

private:
    void applyPen();
    bool scaled() const { return m_scale != 1.0 || m_scaleY != 1.0; }
    // Scaled lines are gathered into one polyline until anything else is drawn.
    void flushLines();

    QPainter& m_painter;
    Rect m_client;
    double m_scale = 1.0;
    double m_scaleY = 1.0;
    Pen m_pen = DEFAULT_PEN;
    Point m_position;
    QPolygonF m_lines;
    // The clip, kept here too: the fills set pixel by pixel honour it themselves.
    bool m_clipped = false;
    Rect m_clip;
};

QColor ToQColor(Rgb colour);

}  // namespace varnelo
