#include "app/form_scroll_area.h"

#include <QResizeEvent>
#include <QScrollBar>

namespace varnelo {

FormScrollArea::FormScrollArea(QWidget* parent) : QScrollArea(parent) {
    setFrameShape(QFrame::NoFrame);
    setWidgetResizable(true);
}

void FormScrollArea::chooseScrollBars() {
    if (widget() == nullptr) return;
    // Judged on the whole area: the scroll area's own judgement is made with
    // the bars it shows already, so that bars once shown (the window opening
    // small for a moment) stayed when the form had room without them.
    const QSize room = contentsRect().size();
    const QSize least = widget()->minimumSize();
    bool across = room.width() < least.width();
    bool down = room.height() < least.height();
    // Either bar takes room from the other way.
    if (across && !down) down = room.height() - horizontalScrollBar()->sizeHint().height() < least.height();
    if (down && !across) across = room.width() - verticalScrollBar()->sizeHint().width() < least.width();
    setHorizontalScrollBarPolicy(across ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(down ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
}

void FormScrollArea::resizeEvent(QResizeEvent* event) {
    chooseScrollBars();
    QScrollArea::resizeEvent(event);
}

}  // namespace varnelo
