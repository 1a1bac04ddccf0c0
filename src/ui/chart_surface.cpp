#include "ui/chart_surface.h"

#include <QGuiApplication>
#include <QPainter>
#include <cmath>

#include "charts/form_layout.h"
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

namespace {

PixelSize ToPixelSize(QSize size) { return {size.width(), size.height()}; }

}  // namespace

ChartSurface::ChartSurface(QSize size)
    : m_native(size), m_shown(size), m_image(size, QImage::Format_RGB32), m_font(ChartFont()) {
    m_image.fill(Qt::white);
}

void ChartSurface::resize(QSize shown, qreal devicePixelRatio) {
    const qreal ratio = devicePixelRatio > 0 ? devicePixelRatio : 1.0;
    if (shown == m_shown && ratio == m_ratio) return;
    m_shown = shown;
    m_ratio = ratio;
    // The picture is of device pixels; whoever shows it puts it in the shown size.
    m_image = QImage((QSizeF(shown) * ratio).toSize(), QImage::Format_RGB32);
    m_image.fill(Qt::white);
}

double ChartSurface::factor() const { return ScaleChart(ToPixelSize(m_native), ToPixelSize(m_shown)).factor * m_ratio; }

Rect ChartSurface::clientRect() const { return ScaleChart(ToPixelSize(m_native), ToPixelSize(m_shown)).client; }

Point ChartSurface::chartPoint(QPointF shown) const {
    const Rect client = clientRect();
    if (m_shown.isEmpty()) return {};
    return {static_cast<int>(std::floor(shown.x() * client.right / m_shown.width())),
            static_cast<int>(std::floor(shown.y() * client.bottom / m_shown.height()))};
}

void ChartSurface::draw(const std::function<void(Canvas&)>& drawing) {
    QPainter painter(&m_image);
    // The factor, made good to the picture's edges in each direction: the
    // two differ by less than a pixel over the whole picture.
    const Rect client = clientRect();
    const double across = client.right > 0 ? static_cast<double>(m_image.width()) / client.right : factor();
    const double down = client.bottom > 0 ? static_cast<double>(m_image.height()) / client.bottom : factor();
    QPainterCanvas canvas(painter, client, m_font, across, down);
    drawing(canvas);
}

}  // namespace varnelo
