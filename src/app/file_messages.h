#pragma once
// Message boxes about a file: in the window's language only, the file named
// once on lines of its own, and a long name broken only at spaces and path
// separators, never inside a word.

#include <QFontMetrics>
#include <QString>

class QWidget;

namespace varnelo {

void ShowFileProblem(QWidget* parent, const QString& message, const QString& path);

// text in lines no wider than width where it can be: breaks go after a space
// or a separator only; a piece wider than width keeps a line of its own.
QString BreakAtSeparators(const QString& text, const QFontMetrics& metrics, int width);

}  // namespace varnelo
