#pragma once
// The main form's controls put where the core's layout of the form says,
// for the room the window gives it.

#include <QRect>
#include <QSize>
#include <array>

#include "charts/form_layout.h"

class QWidget;

namespace varnelo {

using FormWidgets = std::array<QWidget*, FORM_CONTROL_COUNT>;

QRect ToQRect(const PixelRect& r);
// The form's own size: its least, below which the window scrolls it.
QSize NativeFormSize();
// Places every widget (a null one is left out) for a form given room.
void PlaceFormWidgets(const FormWidgets& widgets, QSize room);

}  // namespace varnelo
