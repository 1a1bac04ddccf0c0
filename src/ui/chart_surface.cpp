#include "ui/chart_surface.h"

#include <QGuiApplication>
#include <QPainter>

#include "ui/qpainter_canvas.h"

namespace varnelo {

ChartSurface::ChartSurface(QSize size) : m_image(size, QImage::Format_RGB32) {
    m_image.fill(Qt::white);
    // A Japanese-capable face first, like the form's own font; it is also
    // narrow enough for the track chart's motion readout to fit its frame.
    m_font = QGuiApplication::font();
    m_font.setFamilies({QStringLiteral("Noto Sans CJK JP"), m_font.family()});
    m_font.setPixelSize(CHART_FONT_PIXELS);
}

void ChartSurface::draw(const std::function<void(Canvas&)>& drawing) {
    QPainter painter(&m_image);
    QPainterCanvas canvas(painter, Rect{0, 0, m_image.width(), m_image.height()}, m_font);
    drawing(canvas);
}

}  // namespace varnelo
