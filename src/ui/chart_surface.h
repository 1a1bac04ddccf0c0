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

    // Runs one drawing on a fresh canvas: default pen, default font, as a
    // newly fetched drawing context would be.
    void draw(const std::function<void(Canvas&)>& drawing);

    const QImage& image() const { return m_image; }
    QSize size() const { return m_image.size(); }
    void setFont(const QFont& font) { m_font = font; }

    static constexpr int CHART_FONT_PIXELS = 12;
    // The font every chart is drawn in at first.
    static QFont ChartFont();

private:
    QImage m_image;
    QFont m_font;
};

}  // namespace varnelo
