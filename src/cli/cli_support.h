#pragma once
// What every subcommand shares: argument parsing, the one-line error, and
// loading a data file.

#include <QCommandLineParser>
#include <QString>
#include <QStringList>

#include "data/data_file.h"
#include "session/session.h"

namespace varnelo::cli {

// Prints "varnelo-cli: <message>" on stderr and returns the failure status.
int Fail(const QString& message);

// Parses; on a usage error prints one line and returns false.
bool Parse(QCommandLineParser& parser, const QStringList& arguments);

// The one positional argument the command expects, or a printed usage error.
bool SinglePositional(const QCommandLineParser& parser, const QString& what, QString& value);

// One English line for a failed open or save: which file and what was wrong.
QString DescribeFileError(const FileError& error);

// Opens a data file in the session; on failure prints which file and why.
bool OpenSession(const QString& path, Session& session);

}  // namespace varnelo::cli
