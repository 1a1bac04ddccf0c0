#include "app/file_messages.h"

#include <QCoreApplication>
#include <QDir>
#include <QLabel>
#include <QMessageBox>
#include <QStringList>


namespace varnelo {

namespace {

// About the width of the message line above it: a box of a sensible size.
constexpr int PATH_LINE_WIDTH = 420;

bool BreaksAfter(QChar c) { return c == QLatin1Char(' ') || c == QLatin1Char('/') || c == QLatin1Char('\\'); }

}  // namespace

QString BreakAtSeparators(const QString& text, const QFontMetrics& metrics, int width) {
    QStringList pieces;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (BreaksAfter(text[i]) || i + 1 == text.size()) {
            pieces << text.mid(start, i + 1 - start);
            start = i + 1;
        }
    }
    QStringList lines;
    QString line;
    for (const QString& piece : pieces) {
        if (!line.isEmpty() && metrics.horizontalAdvance(line + piece) > width) {
            lines << line;
            line.clear();
        }
        line += piece;
    }
    if (!line.isEmpty()) lines << line;
    return lines.join(QLatin1Char('\n'));
}

void ShowFileProblem(QWidget* parent, const QString& message, const QString& path) {
    QMessageBox box(QMessageBox::Warning, QCoreApplication::applicationName(), message, QMessageBox::Ok, parent);
    box.setInformativeText(QStringLiteral("-"));  // makes the label, to learn its font
    auto* label = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_informativelabel"));
    const QFontMetrics metrics(label != nullptr ? label->font() : box.font());
    box.setInformativeText(BreakAtSeparators(QDir::toNativeSeparators(path), metrics, PATH_LINE_WIDTH));
    // The lines are broken already; the label's own wrapping would cut names anywhere.
    if (label != nullptr) label->setWordWrap(false);
    box.exec();
}

}  // namespace varnelo
