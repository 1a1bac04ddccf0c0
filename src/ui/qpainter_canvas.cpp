#include "ui/qpainter_canvas.h"

#include <QFontMetrics>
#include <QPen>
#include <QString>
#include <algorithm>

namespace varnelo {

QColor ToQColor(Rgb colour) { return QColor(colour.red, colour.green, colour.blue); }

QPainterCanvas::QPainterCanvas(QPainter& painter, Rect client, const QFont& font) : m_painter(painter), m_client(client) {
    m_painter.setRenderHint(QPainter::Antialiasing, false);
    m_painter.setRenderHint(QPainter::TextAntialiasing, false);
    QFont aliased(font);
    aliased.setStyleStrategy(QFont::NoAntialias);
    m_painter.setFont(aliased);
    m_painter.setBackgroundMode(Qt::OpaqueMode);
    m_painter.setBackground(Qt::white);
    m_painter.setBrush(Qt::NoBrush);
    applyPen();
}

void QPainterCanvas::applyPen() {
    QPen pen(ToQColor(m_pen.colour));
    pen.setStyle(Qt::SolidLine);
    pen.setWidth(std::max(1, m_pen.width));
    // A flat cap on a one-pixel aliased line stops just before the end point;
    // wide pens get round ends and joins, as wide solid pens have.
    pen.setCapStyle(m_pen.width > 1 ? Qt::RoundCap : Qt::FlatCap);
    pen.setJoinStyle(m_pen.width > 1 ? Qt::RoundJoin : Qt::MiterJoin);
    m_painter.setPen(pen);
}

void QPainterCanvas::rectangle(const Rect& r) {
    const int left = std::min(r.left, r.right);
    const int right = std::max(r.left, r.right);
    const int top = std::min(r.top, r.bottom);
    const int bottom = std::max(r.top, r.bottom);
    const int width = right - left;
    const int height = bottom - top;
    if (width <= 0 || height <= 0) return;
    m_painter.fillRect(QRect(left, top, width, height), Qt::white);
    // The outline is painted as four bands of exact pixels, so that Qt's own
    // stroking rules (which include the far edge) play no part.
    const int w = std::max(1, m_pen.width);
    const int outward = (w - 1) / 2;
    const QColor colour = ToQColor(m_pen.colour);
    const int l = left - outward;
    const int t = top - outward;
    const int outerWidth = width + 2 * outward;
    const int outerHeight = height + 2 * outward;
    const int band = std::min({w, (outerWidth + 1) / 2, (outerHeight + 1) / 2});
    m_painter.fillRect(QRect(l, t, outerWidth, band), colour);
    m_painter.fillRect(QRect(l, t + outerHeight - band, outerWidth, band), colour);
    m_painter.fillRect(QRect(l, t, band, outerHeight), colour);
    m_painter.fillRect(QRect(l + outerWidth - band, t, band, outerHeight), colour);
}

void QPainterCanvas::moveTo(Point p) { m_position = p; }

void QPainterCanvas::lineTo(Point p) {
    // A line to the current position itself paints nothing.
    if (p != m_position) m_painter.drawLine(QPoint(m_position.x, m_position.y), QPoint(p.x, p.y));
    m_position = p;
}

void QPainterCanvas::textOut(Point origin, std::string_view text) {
    const QString s = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    const QFontMetrics metrics(m_painter.font());
    const QPen pen = m_painter.pen();
    m_painter.setPen(Qt::black);
    m_painter.drawText(QPoint(origin.x, origin.y + metrics.ascent()), s);
    m_painter.setPen(pen);
}

Pen QPainterCanvas::selectPen(const Pen& pen) {
    const Pen previous = m_pen;
    m_pen = pen;
    applyPen();
    return previous;
}

}  // namespace varnelo
