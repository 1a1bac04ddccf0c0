#include "cli/cli_support.h"

#include <QCoreApplication>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "export/clock_offset.h"
#include "io/atomic_file.h"
#include "launch/logger_options.h"
#include "launch/path_text.h"
#include "text/message_text.h"

namespace varnelo::cli {

namespace {

// Whatever a message quotes, it stays one line that cannot steer the terminal.
std::string OneLine(const std::string& message) { return MessageText(message, MESSAGE_UNCUT); }

void Say(const QString& message) {
    const QString line = QString::fromStdString(OneLine(message.toStdString()));
    std::fprintf(stderr, "varnelo-cli: %s\n", line.toLocal8Bit().constData());
}

// "-o" or "--port", as it would be typed.
QString Typed(const QString& name) { return (name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name; }

// "-o", "--x" or "-Ab", but neither "-" (standard output) nor "-5".
bool LooksLikeOption(const QString& value) {
    return value.size() > 1 && value[0] == u'-' && !value[1].isDigit() && value[1] != u'.';
}

// Qt names the program by the path it was started with; the help names the
// command as it is typed.
QString CommandHelp(const QCommandLineParser& parser, const QString& command) {
    QString text = parser.helpText();
    const QString started = QStringLiteral("Usage: ") + QCoreApplication::arguments().constFirst();
    if (text.startsWith(started)) text.replace(0, started.size(), QStringLiteral("Usage: varnelo-cli ") + command);
    return text;
}

}  // namespace

int Fail(const QString& message) {
    Say(message);
    return EXIT_FAILED;
}

QCommandLineOption UtcOffsetOption() {
    return QCommandLineOption(QStringLiteral("utc-offset"),
                              QStringLiteral("the logger clock's offset from UTC, -12:00..+14:00, or auto to take it "
                                             "from the GPS time of the records with a fix"),
                              QStringLiteral("+HH:MM|auto"));
}

Status ReadUtcOffset(const QCommandLineParser& parser, const QCommandLineOption& option, std::optional<int>& minutes,
                     bool& automatic) {
    automatic = false;
    if (!parser.isSet(option)) return {};
    const QString value = parser.value(option);
    if (value == QLatin1String("auto")) {
        automatic = true;
        return {};
    }
    std::string error;
    minutes = ParseUtcOffset(value.toStdString(), error);
    if (!minutes) return UsageStatus(QString::fromStdString(error));
    return {};
}

int FinishExport(const ExportResult& result) {
    if (result.status) return 0;
    // A request that only the file could show wrong (a record it lacks).
    if (result.status.kind == Status::Kind::Usage) return UsageError(QString::fromStdString(result.status.detail));
    return Fail(QString::fromStdString(result.status.detail));
}

int UsageError(const QString& message) {
    Say(message);
    return EXIT_USAGE_ERROR;
}

Status FailStatus(const QString& message) {
    Say(message);
    return {Status::Kind::Failed, message.toStdString()};
}

Status UsageStatus(const QString& message) {
    Say(message);
    return {Status::Kind::Usage, message.toStdString()};
}

int ExitStatus(const Status& status) {
    if (status.ok() || status.cancelled()) return 0;
    return status.kind == Status::Kind::Usage ? EXIT_USAGE_ERROR : EXIT_FAILED;
}

void Print(const std::string& line) { std::fprintf(stdout, "%s\n", line.c_str()); }

void Warn(const std::string& line) { std::fprintf(stderr, "varnelo-cli: warning: %s\n", OneLine(line).c_str()); }

QString Shown(const QString& value) { return QString::fromStdString(MessageText(PathBytesOfText(value).toStdString())); }

QString ShownPath(const QString& path) {
    return QString::fromStdString(MessageText(PathBytesOfText(path).toStdString(), MESSAGE_PATH_MAX));
}

QString Quoted(const QString& value) { return QString::fromStdString(QuotedValue(PathBytesOfText(value).toStdString())); }

Status Parse(QCommandLineParser& parser, const QStringList& arguments) {
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("show this help"));
    parser.addOption(help);
    if (!parser.parse(arguments)) return UsageStatus(parser.errorText());
    if (parser.isSet(help)) {
        std::fputs(CommandHelp(parser, arguments.constFirst()).toLocal8Bit().constData(), stdout);
        return Status::Stopped();
    }
    for (const QString& name : parser.optionNames()) {
        for (const QString& value : parser.values(name)) {
            if (LooksLikeOption(value)) {
                return UsageStatus(QStringLiteral("%1 needs a value, not the option %2").arg(Typed(name), Quoted(value)));
            }
        }
    }
    return {};
}

Status SinglePositional(const QCommandLineParser& parser, const QString& what, QString& value) {
    const QStringList positional = parser.positionalArguments();
    if (positional.size() != 1) {
        return UsageStatus(QStringLiteral("expected one %1, got %2 arguments").arg(what).arg(positional.size()));
    }
    value = positional.front();
    return {};
}

Status NoPositional(const QCommandLineParser& parser) {
    const QStringList positional = parser.positionalArguments();
    if (positional.isEmpty()) return {};
    return UsageStatus(QStringLiteral("unexpected argument %1").arg(Quoted(positional.front())));
}

QCommandLineOption OutputOption(const QString& valueName) {
    return QCommandLineOption({QStringLiteral("o"), QStringLiteral("output")}, QStringLiteral("the file to write"),
                              valueName);
}

Status OutputPath(const QCommandLineParser& parser, const QCommandLineOption& option, OutputKind kind,
                  std::filesystem::path& output) {
    const QString value = parser.value(option);
    if (value.isEmpty())
        return UsageStatus(QStringLiteral("name the file to write with -o %1").arg(option.valueName()));
    output = ToPath(value);
    if (kind == OutputKind::Binary && IsStandardOutput(output)) {
        return UsageStatus(QStringLiteral("standard output takes text only; name the %1 to write")
                               .arg(option.valueName()));
    }
    return {};
}

Status DistinctFromInput(const QString& input, const std::filesystem::path& output) {
    if (IsStandardOutput(output) || !SameFile(ToPath(input), output)) return {};
    return FailStatus(QStringLiteral("%1 is the data file being read; name another output").arg(FromPath(output)));
}

QString DescribeFileError(const Status& error) {
    const QString detail = QString::fromStdString(error.detail);
    const QString path = QString::fromStdString(MessageText(error.path, MESSAGE_PATH_MAX));
    switch (error.cause) {
        case Status::Cause::CutShort:
            return QStringLiteral("%1 is cut short: it announces %2 records but holds %3")
                .arg(path)
                .arg(error.announced)
                .arg(error.holds);
        case Status::Cause::ReadError:
            return QStringLiteral("cannot read %1: %2").arg(path, QString::fromStdString(error.systemError));
        // The detail says these as the command line has always worded them.
        case Status::Cause::TooShort:
        case Status::Cause::CountOutside:
        case Status::Cause::EmptyStream:
        case Status::Cause::Busy:
        case Status::Cause::Other:
        default: break;
    }
    switch (error.kind) {
        case Status::Kind::UnexpectedFormat: return QStringLiteral("not a Varnelo data file: %1").arg(detail);
        case Status::Kind::OpenFailed: return QStringLiteral("cannot open %1").arg(detail);
        case Status::Kind::SaveFailed: return QStringLiteral("cannot save: %1").arg(detail);
        case Status::Kind::NotRegular: return QStringLiteral("cannot open %1").arg(detail);
        default: break;
    }
    return detail;
}

namespace {

Status Opened(const QString& path, const Status& opened, int records) {
    if (!opened) {
        Say(DescribeFileError(opened));
        return opened;
    }
    if (records == 0) Warn(PathBytesOfText(path).toStdString() + " holds no records");
    return {};
}

}  // namespace

Status OpenSession(const QString& path, Session& session) {
    const Status opened = session.open(ToPath(path));
    return Opened(path, opened, session.doc().recordCount());
}

Status OpenDataFile(const QString& path, DataFileReader& reader) {
    const Status opened = reader.open(ToPath(path));
    return Opened(path, opened, reader.count());
}

CliLogger::CliLogger(const QCommandLineParser& parser, bool connect) {
    QString error;
    auto choice = LoggerChoiceFromOptions(parser, error);
    if (!choice) {
        status = UsageStatus(error);
        return;
    }
    choice->traceStopped = [](const std::string& line) { Warn(line); };
    discovered = choice->kind == LoggerChoice::Kind::Discover;
    logger.emplace(session, [choice = *choice] { return ConnectAsChosen(choice, nullptr); });
    if (!connect) return;
    report = logger->connect();
    if (!logger->connected()) status = FailStatus(QString::fromStdString(Unreached(report)));
}

std::string CliLogger::Unreached(const Status& report) const {
    return report.detail + (discovered ? "; name the port with --port PATH" : "");
}

int FinishCommand(int status) {
    if (status != 0) {
        std::fflush(stdout);  // the failure has been said once already
        return status;
    }
    // A failed write may have dropped the buffer, after which fflush succeeds.
    if (std::fflush(stdout) == 0 && !std::ferror(stdout)) return 0;
    const int error = errno;
    Say(QStringLiteral("cannot write standard output") +
        (error != 0 ? QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(error)) : QString()));
    return EXIT_FAILED;
}

}  // namespace varnelo::cli
