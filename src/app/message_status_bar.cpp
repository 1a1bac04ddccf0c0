#include "app/message_status_bar.h"

#include <QPaintEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>

#include "text/message_fit.h"

namespace varnelo {

namespace {

// Where the bar's own drawing puts a message: this far from its left edge,
// ending this far before the next pane.
constexpr int MESSAGE_LEFT = 6;
constexpr int MESSAGE_GAP = 2;

}  // namespace

MessageStatusBar::MessageStatusBar(QWidget* parent) : QStatusBar(parent) {
    // The window's own border sizes it; the bar keeps the panes it always had.
    setSizeGripEnabled(false);
    connect(this, &QStatusBar::messageChanged, this, &MessageStatusBar::updateTip);
}

QRect MessageStatusBar::messageRect() const {
    // While a message is shown only the permanent panes are.
    int right = width() - 12;
    for (const QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (child->isVisible() && child->x() > MESSAGE_LEFT) right = std::min(right, child->x() - MESSAGE_GAP);
    }
    return QRect(MESSAGE_LEFT, 0, std::max(0, right - MESSAGE_LEFT), height());
}

QString MessageStatusBar::shownMessage() const {
    const QString message = currentMessage();
    if (message.isEmpty()) return message;
    const QFontMetrics metrics = fontMetrics();
    const std::string fitted =
        FitMessage(message.toStdString(), messageRect().width(),
                   [&](std::string_view text) { return metrics.horizontalAdvance(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()))); });
    return QString::fromStdString(fitted);
}

void MessageStatusBar::updateTip() {
    const QString message = currentMessage();
    setToolTip(message.isEmpty() || shownMessage() == message ? QString() : message);
}

void MessageStatusBar::resizeEvent(QResizeEvent* event) {
    QStatusBar::resizeEvent(event);
    updateTip();
}

void MessageStatusBar::paintEvent(QPaintEvent* event) {
    // As the bar paints itself, with the message cut where a reader expects it.
    QPainter painter(this);
    QStyleOption option;
    option.initFrom(this);
    style()->drawPrimitive(QStyle::PE_PanelStatusBar, &option, &painter, this);
    const bool message = !currentMessage().isEmpty();
    for (QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (!child->isVisible() || child->isWindow()) continue;
        const QRect frame = child->geometry().adjusted(-2, -1, 2, 1);
        if (!event->rect().intersects(frame)) continue;
        QStyleOption item(0);
        item.rect = frame;
        item.palette = palette();
        item.state = QStyle::State_None;
        style()->drawPrimitive(QStyle::PE_FrameStatusBarItem, &item, &painter, child);
    }
    if (message) {
        painter.setPen(palette().windowText().color());
        painter.drawText(messageRect(), Qt::AlignLeading | Qt::AlignVCenter | Qt::TextSingleLine, shownMessage());
    }
}

}  // namespace varnelo
