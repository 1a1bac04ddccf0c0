#pragma once
// An off-screen picture of one chart. The charts draw into it at the moments
// they are drawn; whoever shows it (a widget's paint, a PNG file) only copies
// the picture, so it survives being covered and uncovered.

#include <QFont>
#include <QImage>
#include <QSize>
#include <functional>

#include "charts/canvas.h"

namespace varnelo {

class ChartSurface {
public:
    // A white picture of the given pixel size (the chart's client rectangle
    // is (0, 0, width, height)); text in a Japanese-capable face, else the
    // application's, at CHART_FONT_PIXELS.
    explicit ChartSurface(QSize size);

    // Shown at another size (in device-independent pixels, on a screen of
    // that many device pixels to one), the chart is drawn anew for it at
    // its next draw(): scaled from its native size as ScaleChart says, so
    // it stays sharp; the picture is of the device pixels. At the native
    // size and a ratio of 1 nothing differs from a surface never resized.
    void resize(QSize shown, qreal devicePixelRatio = 1.0);

    // Runs one drawing on a fresh canvas: default pen, default font, as a
    // newly fetched drawing context would be.
    void draw(const std::function<void(Canvas&)>& drawing);

    const QImage& image() const { return m_image; }
    QSize size() const { return m_image.size(); }
    // The size it is shown at, and the one its charts are drawn for.
    QSize shownSize() const { return m_shown; }
    QSize nativeSize() const { return m_native; }
    // The chart's client rectangle, and the point of it at a position in
    // the shown picture.
    Rect clientRect() const;
    Point chartPoint(QPointF shown) const;
    void setFont(const QFont& font) { m_font = font; }

    static constexpr int CHART_FONT_PIXELS = 12;
    // The font every chart is drawn in at first.
    static QFont ChartFont();

private:
    double factor() const;

    QSize m_native;
    QSize m_shown;
    qreal m_ratio = 1.0;
    QImage m_image;
    QFont m_font;
};

}  // namespace varnelo
