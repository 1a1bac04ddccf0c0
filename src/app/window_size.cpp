#include "app/window_size.h"

#include <QLayout>
#include <QMainWindow>
#include <QScreen>

namespace varnelo {

QSize OpeningSize(QMainWindow& window, QWidget* central, QSize content) {
    // The bars' share is measured as the layout gives it, at the content's
    // size: their least sizes can be smaller than the ones they get.
    window.resize(content);
    window.layout()->activate();
    const QSize bars = window.size() - central->size();
    const QSize wanted = (content + bars).expandedTo(window.layout()->totalMinimumSize());
    const QScreen* screen = window.screen();
    return screen == nullptr ? wanted : wanted.boundedTo(screen->availableGeometry().size());
}

void KeepOnScreen(QWidget& window) {
    const QScreen* screen = window.screen();
    if (screen == nullptr) return;
    const QRect available = screen->availableGeometry();
    const QSize frame = window.frameGeometry().size() - window.geometry().size();
    const QSize fits = window.size().boundedTo(available.size() - frame);
    if (fits != window.size()) window.resize(fits);
    if (!available.contains(window.frameGeometry())) window.move(available.topLeft());
}

}  // namespace varnelo
