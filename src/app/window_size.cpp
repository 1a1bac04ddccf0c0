#include "app/window_size.h"

#include <QLayout>
#include <QMainWindow>
#include <QScreen>

namespace varnelo {

QSize OpeningSize(QMainWindow& window, QWidget* central, QSize content) {
    // The bars' share is the layout's: asked with the central widget held
    // at the content's size for a moment.
    const QSize least = central->minimumSize();
    central->setMinimumSize(content);
    window.layout()->invalidate();
    const QSize wanted = window.layout()->totalMinimumSize();
    central->setMinimumSize(least);
    window.layout()->invalidate();
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
