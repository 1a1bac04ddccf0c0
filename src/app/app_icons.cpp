#include "app/app_icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace varnelo {

namespace {

// A dark instrument face with a grid and two spectra, a daylight curve and a
// vegetation curve with its red edge.
QPixmap ApplicationPixmap(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal s = size / 48.0;
    p.scale(s, s);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(28, 52, 84));
    p.drawRoundedRect(QRectF(2, 2, 44, 44), 8, 8);
    p.setPen(QPen(QColor(90, 120, 150), 1));
    for (int x = 12; x <= 36; x += 12) p.drawLine(QPointF(x, 9), QPointF(x, 39));
    for (int y = 15; y <= 33; y += 9) p.drawLine(QPointF(7, y), QPointF(41, y));
    QPainterPath daylight(QPointF(7, 37));
    daylight.cubicTo(QPointF(14, 12), QPointF(22, 10), QPointF(41, 24));
    p.setPen(QPen(QColor(255, 60, 40), 3, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawPath(daylight);
    QPainterPath vegetation(QPointF(7, 38));
    vegetation.cubicTo(QPointF(18, 34), QPointF(24, 36), QPointF(27, 30));
    vegetation.cubicTo(QPointF(29, 14), QPointF(34, 13), QPointF(41, 13));
    p.setPen(QPen(QColor(255, 170, 0), 3, Qt::SolidLine, Qt::RoundCap));
    p.drawPath(vegetation);
    return pixmap;
}

// The toolbar's 16 x 15 cells, drawn in a few strokes.
QPixmap ToolbarPixmap(ToolbarIcon kind) {
    QPixmap pixmap(16, 15);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const QPen ink(QColor(40, 40, 40), 1);
    p.setPen(ink);
    p.setBrush(Qt::white);
    const auto page = [&p](qreal x, qreal y) {
        QPolygonF outline;
        outline << QPointF(x, y) << QPointF(x + 6, y) << QPointF(x + 9, y + 3) << QPointF(x + 9, y + 12)
                << QPointF(x, y + 12);
        p.drawPolygon(outline);
    };
    switch (kind) {
        case ToolbarIcon::New: page(3.5, 1.5); break;
        case ToolbarIcon::Open:
            p.setBrush(QColor(240, 200, 80));
            p.drawRect(QRectF(1.5, 4.5, 12, 8));
            p.drawRect(QRectF(1.5, 2.5, 5, 2));
            break;
        case ToolbarIcon::Save:
            p.setBrush(QColor(60, 90, 160));
            p.drawRect(QRectF(1.5, 1.5, 12, 12));
            p.setBrush(Qt::white);
            p.drawRect(QRectF(4.5, 1.5, 6, 4));
            break;
        case ToolbarIcon::Cut:
            p.drawEllipse(QRectF(2.5, 9.5, 4, 4));
            p.drawEllipse(QRectF(9.5, 9.5, 4, 4));
            p.drawLine(QPointF(5, 10), QPointF(11, 1));
            p.drawLine(QPointF(11, 10), QPointF(5, 1));
            break;
        case ToolbarIcon::Copy:
            page(1.5, 0.5);
            page(5.5, 2.5);
            break;
        case ToolbarIcon::Paste:
            p.setBrush(QColor(190, 140, 80));
            p.drawRect(QRectF(1.5, 2.5, 10, 11));
            p.setBrush(Qt::white);
            page(6.5, 5.5);
            break;
        case ToolbarIcon::Print:
            p.drawRect(QRectF(4.5, 1.5, 7, 5));
            p.setBrush(QColor(170, 170, 170));
            p.drawRect(QRectF(1.5, 6.5, 13, 5));
            p.setBrush(Qt::white);
            p.drawRect(QRectF(4.5, 10.5, 7, 3));
            break;
        case ToolbarIcon::About: {
            p.setBrush(QColor(60, 110, 200));
            p.setPen(Qt::NoPen);
            p.drawEllipse(QRectF(1, 0.5, 14, 14));
            QFont font = p.font();
            font.setPixelSize(11);
            font.setBold(true);
            p.setFont(font);
            p.setPen(Qt::white);
            p.drawText(QRectF(1, 0.5, 14, 14), Qt::AlignCenter, QStringLiteral("?"));
            break;
        }
    }
    return pixmap;
}

const char* ThemeName(ToolbarIcon kind) {
    switch (kind) {
        case ToolbarIcon::New: return "document-new";
        case ToolbarIcon::Open: return "document-open";
        case ToolbarIcon::Save: return "document-save";
        case ToolbarIcon::Cut: return "edit-cut";
        case ToolbarIcon::Copy: return "edit-copy";
        case ToolbarIcon::Paste: return "edit-paste";
        case ToolbarIcon::Print: return "document-print";
        case ToolbarIcon::About: return "help-about";
    }
    return "";
}

}  // namespace

QIcon ApplicationIcon() {
    QIcon icon;
    for (int size : {16, 32, 48}) icon.addPixmap(ApplicationPixmap(size));
    return icon;
}

QIcon ToolbarIconFor(ToolbarIcon kind) {
    return QIcon::fromTheme(QString::fromLatin1(ThemeName(kind)), QIcon(ToolbarPixmap(kind)));
}

}  // namespace varnelo
