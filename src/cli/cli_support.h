#pragma once
// What every command shares: argument parsing, the one-line messages and
// exit statuses, outputs, and loading a data file.
//
// The checks return a Status: ok to go on; otherwise, once they have said
// why on stderr, the command exits with ExitStatus() of it.

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QString>
#include <QStringList>
#include <filesystem>
#include <optional>
#include <string>

#include "data/data_file.h"
#include "data/data_file_reader.h"
#include "device/connection.h"
#include "session/logger_session.h"
#include "session/session.h"

namespace varnelo::cli {

inline constexpr int EXIT_FAILED = 1;       // the command ran and failed
inline constexpr int EXIT_USAGE_ERROR = 2;  // the command line itself is wrong

// "varnelo-cli: <message>" on stderr; returns EXIT_FAILED.
int Fail(const QString& message);
// The same for a wrong command line; returns EXIT_USAGE_ERROR.
int UsageError(const QString& message);
// The same, for a check to return: a failure (Failed), or a wrong command
// line (Usage), with the message as its detail.
Status FailStatus(const QString& message);
Status UsageStatus(const QString& message);
// What a command that stops on `status` exits with: 0 on success or when
// it stopped early with nothing wrong (--help), EXIT_USAGE_ERROR for a
// wrong command line, else EXIT_FAILED.
int ExitStatus(const Status& status);
// 0 for a written file; otherwise Fail() with what went wrong.
int FinishExport(const ExportResult& result);

// One line on stdout; one "varnelo-cli: warning: ..." line on stderr.
void Print(const std::string& line);
void Warn(const std::string& line);

// Parses a command's arguments (its name first). --help prints the command's
// help and stops, cancelled, with 0. An option whose value looks like another option
// ("--port -o x") is a usage error: the value was left out.
Status Parse(QCommandLineParser& parser, const QStringList& arguments);

// The one positional argument the command expects, or none at all.
Status SinglePositional(const QCommandLineParser& parser, const QString& what, QString& value);
Status NoPositional(const QCommandLineParser& parser);

// The -o option: "the file to write" named valueName in the help.
QCommandLineOption OutputOption(const QString& valueName);

enum class OutputKind { Text, Binary };

// The output named by -o; "-" (standard output) is taken for text only.
Status OutputPath(const QCommandLineParser& parser, const QCommandLineOption& option, OutputKind kind,
                  std::filesystem::path& output);

// Refuses to write over the input file, under whatever name it is given.
Status DistinctFromInput(const QString& input, const std::filesystem::path& output);

// A value or file name as a message shows it (text/message_text.h): cut
// short, control characters escaped; Quoted puts it in single quotes.
QString Shown(const QString& value);
QString ShownPath(const QString& path);
QString Quoted(const QString& value);

// One English line for a failed open or save: which file and what was wrong.
QString DescribeFileError(const Status& error);

// Opens a data file in the session; warns when it holds no records.
Status OpenSession(const QString& path, Session& session);
// The same for reading its records straight from the file.
Status OpenDataFile(const QString& path, DataFileReader& reader);

// --utc-offset ±HH:MM|auto, the logger clock's offset from UTC.
QCommandLineOption UtcOffsetOption();
// The offset given, or `automatic` when it is to be found in each file.
Status ReadUtcOffset(const QCommandLineParser& parser, const QCommandLineOption& option, std::optional<int>& minutes,
                     bool& automatic);

// The logger the switches of AddLoggerOptions name (--sim, else an explicit
// port: --port, then VARNELO_PORT, else discovery), with the session it
// fills. Usage errors and a logger that cannot be reached end the command
// with status, said.
struct CliLogger {
    Session session;
    std::optional<LoggerSession> logger;
    Status status;
    Status report;  // the connection's: not ok when the logger's count did not come
    bool discovered = false;

    // connect: now, else when the job starts.
    CliLogger(const QCommandLineParser& parser, bool connect);
    // Why no logger answered, with the way out when discovery found none.
    std::string Unreached(const Status& report) const;
};

// The exit status of a command that ended with `status`: standard output
// is flushed, and a success whose output cannot be written fails, said.
int FinishCommand(int status);

}  // namespace varnelo::cli
