#include "ui/chart_surface.h"

#include <QGuiApplication>
#include <QPainter>

#include "ui/qpainter_canvas.h"

namespace varnelo {

QFont ChartSurface::ChartFont() {
    // A Japanese-capable face first, like the form's own font; it is also
    // narrow enough for the track chart's usual motion readout to fit its frame.
    QFont font = QGuiApplication::font();
    font.setFamilies({QStringLiteral("Noto Sans CJK JP"), font.family()});
    font.setPixelSize(CHART_FONT_PIXELS);
    return font;
}

ChartSurface::ChartSurface(QSize size) : m_image(size, QImage::Format_RGB32), m_font(ChartFont()) {
    m_image.fill(Qt::white);
}

void ChartSurface::draw(const std::function<void(Canvas&)>& drawing) {
    QPainter painter(&m_image);
    QPainterCanvas canvas(painter, Rect{0, 0, m_image.width(), m_image.height()}, m_font);
    drawing(canvas);
}

}  // namespace varnelo
