#include "ui/qpainter_canvas.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QImage>
#include <QPaintDevice>
#include <QPen>
#include <QPolygon>
#include <QString>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace varnelo {

namespace {

// The pixels of a one-pixel line from a to b, b itself left out, limited to
// those inside (0, 0, width, height). Qt's own thin lines leave out one end
// or the other depending on the direction, so the pixels are chosen here:
// along the major axis one pixel per step, the minor coordinate rounded to
// nearest (halves away from a). The closed form lets a line whose ends lie far
// outside the surface cost only its visible length.
QPolygon ThinLinePixels(Point a, Point b, int width, int height) {
    QPolygon pixels;
    const std::int64_t dx = static_cast<std::int64_t>(b.x) - a.x;
    const std::int64_t dy = static_cast<std::int64_t>(b.y) - a.y;
    const std::int64_t adx = dx < 0 ? -dx : dx;
    const std::int64_t ady = dy < 0 ? -dy : dy;
    const bool xMajor = adx >= ady;
    const std::int64_t major = xMajor ? adx : ady;
    const std::int64_t minor = xMajor ? ady : adx;
    const int majorSign = (xMajor ? dx : dy) < 0 ? -1 : 1;
    const int minorSign = (xMajor ? dy : dx) < 0 ? -1 : 1;
    const std::int64_t majorStart = xMajor ? a.x : a.y;
    const std::int64_t minorStart = xMajor ? a.y : a.x;
    const std::int64_t majorLimit = xMajor ? width : height;
    const std::int64_t minorLimit = xMajor ? height : width;
    // Steps i in 0..major-1 whose major coordinate lies in 0..majorLimit-1.
    std::int64_t first = majorSign > 0 ? -majorStart : majorStart - (majorLimit - 1);
    std::int64_t last = majorSign > 0 ? majorLimit - 1 - majorStart : majorStart;
    first = std::max<std::int64_t>(first, 0);
    last = std::min<std::int64_t>(last, major - 1);
    for (std::int64_t i = first; i <= last; ++i) {
        const std::int64_t m = minorStart + minorSign * ((2 * i * minor + major) / (2 * major));
        if (m < 0 || m >= minorLimit) continue;
        const std::int64_t M = majorStart + majorSign * i;
        pixels << (xMajor ? QPoint(static_cast<int>(M), static_cast<int>(m)) : QPoint(static_cast<int>(m), static_cast<int>(M)));
    }
    return pixels;
}

}  // namespace

QColor ToQColor(Rgb colour) { return QColor(colour.red, colour.green, colour.blue); }

QPainterCanvas::QPainterCanvas(QPainter& painter, Rect client, const QFont& font, double scale, double scaleY)
    : m_painter(painter),
      m_client(client),
      m_scale(scale > 0.0 ? scale : 1.0),
      m_scaleY(scaleY > 0.0 ? scaleY : m_scale) {
    m_painter.setRenderHint(QPainter::Antialiasing, false);
    // A scaled chart is read on a screen of fine pixels: smooth text reads
    // better there; its lines stay sharp-edged.
    m_painter.setRenderHint(QPainter::TextAntialiasing, scaled());
    QFont aliased(font);
    if (!scaled()) aliased.setStyleStrategy(QFont::NoAntialias);
    // Glyphs placed as drawn at the native size, only larger.
    if (scaled()) aliased.setHintingPreference(QFont::PreferNoHinting);
    m_painter.setFont(aliased);
    if (scaled()) m_painter.scale(m_scale, m_scaleY);
    m_painter.setBackgroundMode(Qt::OpaqueMode);
    m_painter.setBackground(Qt::white);
    m_painter.setBrush(Qt::NoBrush);
    applyPen();
}

QPainterCanvas::~QPainterCanvas() { flushLines(); }

void QPainterCanvas::flushLines() {
    if (m_lines.size() > 1) m_painter.drawPolyline(m_lines);
    m_lines.clear();
}

void QPainterCanvas::applyPen() {
    flushLines();
    QPen pen(ToQColor(m_pen.colour));
    pen.setStyle(Qt::SolidLine);
    pen.setWidth(std::max(1, m_pen.width));
    if (scaled()) {
        // Whole device pixels, so that lines of one width look alike wherever they fall.
        pen.setCosmetic(true);
        pen.setWidth(std::max(1, static_cast<int>(std::lround(m_pen.width * std::min(m_scale, m_scaleY)))));
    }
    // Thin lines are set pixel by pixel (each pixel a square-capped point);
    // wide pens get round ends and joins, as wide solid pens have.
    pen.setCapStyle(m_pen.width > 1 ? Qt::RoundCap : Qt::SquareCap);
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
    flushLines();
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

void QPainterCanvas::fillRect(const Rect& whole, Rgb colour) {
    Rect r = whole;
    if (m_clipped) {
        r = {std::max(r.left, m_clip.left), std::max(r.top, m_clip.top), std::min(r.right, m_clip.right),
             std::min(r.bottom, m_clip.bottom)};
    }
    if (r.right <= r.left || r.bottom <= r.top) return;
    flushLines();
    // Small fills come by the thousand (a track's coloured points): on a
    // plain 32-bit picture without transformation they are set here, the
    // very pixels the painter would set, without its per-call set-up.
    auto* image = m_painter.device()->devType() == QInternal::Image ? static_cast<QImage*>(m_painter.device()) : nullptr;
    // The clip was applied above: the painter's own, the same, need not be.
    const bool direct = image != nullptr && !scaled() && !m_painter.transform().isScaling() && (m_clipped || !m_painter.hasClipping()) &&
                        m_painter.transform().isIdentity() && m_painter.compositionMode() == QPainter::CompositionMode_SourceOver &&
                        (image->format() == QImage::Format_RGB32 || image->format() == QImage::Format_ARGB32_Premultiplied ||
                         image->format() == QImage::Format_ARGB32);
    if (!direct) {
        m_painter.fillRect(QRect(r.left, r.top, r.right - r.left, r.bottom - r.top), ToQColor(colour));
        return;
    }
    const int left = std::max(r.left, 0);
    const int right = std::min(r.right, image->width());
    const int top = std::max(r.top, 0);
    const int bottom = std::min(r.bottom, image->height());
    const QRgb pixel = qRgb(colour.red, colour.green, colour.blue);
    for (int y = top; y < bottom; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image->scanLine(y));
        std::fill(line + left, line + std::max(left, right), pixel);
    }
}

void QPainterCanvas::moveTo(Point p) {
    if (p != m_position) flushLines();
    m_position = p;
}

void QPainterCanvas::lineTo(Point p) {
    if (scaled()) {
        // Through the pixels' centres, as the pixels set at the native size are.
        if (m_lines.isEmpty()) m_lines << QPointF(m_position.x + 0.5, m_position.y + 0.5);
        if (p != m_position) m_lines << QPointF(p.x + 0.5, p.y + 0.5);
        m_position = p;
        return;
    }
    // A line to the current position itself paints nothing.
    if (p != m_position) {
        if (m_pen.width <= 1) {
            const QPaintDevice* device = m_painter.device();
            m_painter.drawPoints(ThinLinePixels(m_position, p, device->width(), device->height()));
        } else {
            m_painter.drawLine(QPoint(m_position.x, m_position.y), QPoint(p.x, p.y));
        }
    }
    m_position = p;
}

void QPainterCanvas::textOut(Point origin, std::string_view text) {
    const QString s = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    const QFontMetrics metrics(m_painter.font());
    flushLines();
    const QPen pen = m_painter.pen();
    m_painter.setPen(Qt::black);
    m_painter.drawText(QPoint(origin.x, origin.y + metrics.ascent()), s);
    m_painter.setPen(pen);
}

int QPainterCanvas::textPixels() const { return QFontInfo(m_painter.font()).pixelSize(); }

int QPainterCanvas::textWidth(std::string_view text, int pixels) const {
    QFont font = m_painter.font();
    if (pixels > 0) font.setPixelSize(pixels);
    return QFontMetrics(font).horizontalAdvance(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
}

void QPainterCanvas::textOutSized(Point origin, std::string_view text, int pixels) {
    const QFont original = m_painter.font();
    QFont font = original;
    if (pixels > 0) font.setPixelSize(pixels);
    m_painter.setFont(font);
    textOut(origin, text);
    m_painter.setFont(original);
}

void QPainterCanvas::setClip(const Rect& r) {
    flushLines();
    m_clipped = true;
    m_clip = r;
    m_painter.setClipRect(QRect(r.left, r.top, std::max(0, r.right - r.left), std::max(0, r.bottom - r.top)));
}

void QPainterCanvas::resetClip() {
    flushLines();
    m_clipped = false;
    m_painter.setClipping(false);
}

void QPainterCanvas::textOutWithin(Point origin, std::string_view text, int right) {
    // Trailing blanks take room but show nothing; they do not count.
    std::string_view shown = text;
    while (!shown.empty() && shown.back() == ' ') shown.remove_suffix(1);
    const QString s = QString::fromUtf8(shown.data(), static_cast<qsizetype>(shown.size()));
    const QFont original = m_painter.font();
    const int room = right - origin.x;
    int pixels = QFontInfo(original).pixelSize();
    QFont font = original;
    while (QFontMetrics(font).horizontalAdvance(s) > room && pixels > SMALLEST_TEXT_PIXELS) font.setPixelSize(--pixels);
    m_painter.setFont(font);
    textOut(origin, text);
    m_painter.setFont(original);
}

Pen QPainterCanvas::selectPen(const Pen& pen) {
    const Pen previous = m_pen;
    m_pen = pen;
    applyPen();
    return previous;
}

}  // namespace varnelo
