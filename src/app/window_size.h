#pragma once
// The size a window opens at: what its content asks for where the screen
// has the room, else as large as the screen's free area (less the taskbar
// and panels) allows.

#include <QSize>

class QMainWindow;
class QWidget;

namespace varnelo {

// The main window's size with its central widget at content, bars
// included, held to the free area of the window's screen.
QSize OpeningSize(QMainWindow& window, QWidget* central, QSize content);

// A shown window whose frame (title bar, borders) took it past the
// screen's free area is made smaller and moved into it.
void KeepOnScreen(QWidget& window);

}  // namespace varnelo
