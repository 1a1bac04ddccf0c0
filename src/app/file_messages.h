#pragma once
// Message boxes about a file: in the window's language only, the file named
// once on lines of its own, and a long name broken only at spaces and path
// separators, never inside a word.

#include <QCoreApplication>
#include <QFontMetrics>
#include <QString>

#include "data/data_file.h"

class QWidget;

namespace varnelo {

class FileMessages {
    Q_DECLARE_TR_FUNCTIONS(varnelo::FileMessages)
public:
    // Why a data file could not be opened or saved, in the window's
    // language: the values the core reports, else what the file itself
    // shows (missing, a folder, not allowed), else the system's own word.
    static QString reason(const Status& error);
    // Why an export to path could not be written: what the folder and the
    // file show, in the window's language.
    static QString exportReason(const QString& path);
};

void ShowFileProblem(QWidget* parent, const QString& message, const QString& path);

// text in lines no wider than width where it can be: breaks go after a space
// or a separator only; a piece wider than width keeps a line of its own.
QString BreakAtSeparators(const QString& text, const QFontMetrics& metrics, int width);

}  // namespace varnelo
