#pragma once
// What every subcommand shares: argument parsing, the one-line error, and
// loading a data file.

#include <QCommandLineParser>
#include <QString>
#include <QStringList>
#include <optional>
#include <string>

#include "data/data_file.h"
#include "device/connection.h"
#include "session/session.h"

namespace varnelo::cli {

// Prints "varnelo-cli: <message>" on stderr and returns the failure status.
int Fail(const QString& message);

// One line on stdout; one "varnelo-cli: warning: ..." line on stderr.
void Print(const std::string& line);
void Warn(const std::string& line);

// Parses; on a usage error prints one line and returns false.
bool Parse(QCommandLineParser& parser, const QStringList& arguments);

// The one positional argument the command expects, or a printed usage error.
bool SinglePositional(const QCommandLineParser& parser, const QString& what, QString& value);

// One English line for a failed open or save: which file and what was wrong.
QString DescribeFileError(const FileError& error);

// Opens a data file in the session; on failure prints which file and why.
bool OpenSession(const QString& path, Session& session);

// The logger the switches of AddLoggerOptions name: --sim, else an explicit
// port (--port, then VARNELO_PORT), else discovery. On failure prints why.
std::optional<LoggerConnection> ConnectAsAsked(const QCommandLineParser& parser, CVarneloDoc& doc);

}  // namespace varnelo::cli
