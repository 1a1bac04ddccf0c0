#include "app/form_geometry.h"

#include <QWidget>

namespace varnelo {

QRect ToQRect(const PixelRect& r) { return QRect(r.x, r.y, r.width, r.height); }

QSize NativeFormSize() {
    const PixelSize size = LayOutForm({0, 0}).size;
    return QSize(size.width, size.height);
}

void PlaceFormWidgets(const FormWidgets& widgets, QSize room) {
    const FormLayout layout = LayOutForm({room.width(), room.height()});
    for (std::size_t i = 0; i < FORM_CONTROL_COUNT; ++i) {
        if (widgets[i] != nullptr) widgets[i]->setGeometry(ToQRect(layout.controls[i]));
    }
}

}  // namespace varnelo
