#pragma once
// What every form and dialog of the program shares: the Japanese monospace
// dialog font and the one conversion from dialog units to pixels.

#include <QFont>
#include <QRect>
#include <QString>

class QLabel;

#include "charts/dialog_units.h"

namespace varnelo {

// "ＭＳ ゴシック" 10 pt where it exists, else a Japanese monospace face
// (Noto Sans Mono CJK JP), so that columns of numbers line up.
QFont FormFont();

// x, y, width, height in dialog units as a pixel rectangle.
QRect DialogRect(int x, int y, int width, int height);
inline QRect DialogRect(const DialogUnitRect& r) { return DialogRect(r.x, r.y, r.width, r.height); }

// The label shows text whole where it fits, else cut with an ellipsis; the
// tooltip then holds all of it.
void SetElidedText(QLabel* label, const QString& text);

}  // namespace varnelo
