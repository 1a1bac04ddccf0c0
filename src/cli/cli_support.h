#pragma once
// What every subcommand shares: argument parsing, the one-line error, and
// loading a data file.

#include <QCommandLineParser>
#include <QString>
#include <QStringList>

#include "data/document.h"

namespace varnelo::cli {

// Prints "varnelo-cli: <message>" on stderr and returns the failure status.
int Fail(const QString& message);

// Parses; on a usage error prints one line and returns false.
bool Parse(QCommandLineParser& parser, const QStringList& arguments);

// The one positional argument the command expects, or a printed usage error.
bool SinglePositional(const QCommandLineParser& parser, const QString& what, QString& value);

// Loads a data file into doc; on failure prints which file and why.
bool LoadDocument(const QString& path, CVarneloDoc& doc);

}  // namespace varnelo::cli
