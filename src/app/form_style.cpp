#include "app/form_style.h"

#include <QFontMetrics>
#include <QLabel>
#include <QStringList>

namespace varnelo {

QFont FormFont() {
    QFont font;
    font.setFamilies({QStringLiteral("ＭＳ ゴシック"), QStringLiteral("MS Gothic"), QStringLiteral("Noto Sans Mono CJK JP"),
                      QStringLiteral("monospace")});
    font.setStyleHint(QFont::TypeWriter);
    font.setPointSize(10);
    return font;
}

QRect DialogRect(int x, int y, int width, int height) {
    return QRect(DialogUnitsToPixelsX(x), DialogUnitsToPixelsY(y), DialogUnitsToPixelsX(width),
                 DialogUnitsToPixelsY(height));
}

void SetElidedText(QLabel* label, const QString& text) {
    const QString shown = QFontMetrics(label->font()).elidedText(text, Qt::ElideRight, label->width());
    label->setText(shown);
    label->setToolTip(shown == text ? QString() : text);
}

}  // namespace varnelo
