#include "cli/cli_support.h"

#include <cstdio>
#include <filesystem>

#include "launch/logger_options.h"

namespace varnelo::cli {

int Fail(const QString& message) {
    std::fprintf(stderr, "varnelo-cli: %s\n", message.toLocal8Bit().constData());
    return 1;
}

void Print(const std::string& line) { std::fprintf(stdout, "%s\n", line.c_str()); }

void Warn(const std::string& line) { std::fprintf(stderr, "varnelo-cli: warning: %s\n", line.c_str()); }

bool Parse(QCommandLineParser& parser, const QStringList& arguments) {
    parser.addHelpOption();
    if (!parser.parse(arguments)) {
        Fail(parser.errorText());
        return false;
    }
    if (parser.isSet("help")) {
        std::fputs(parser.helpText().toLocal8Bit().constData(), stdout);
        std::exit(0);
    }
    return true;
}

bool SinglePositional(const QCommandLineParser& parser, const QString& what, QString& value) {
    const QStringList positional = parser.positionalArguments();
    if (positional.size() != 1) {
        Fail(QStringLiteral("expected one %1, got %2 arguments").arg(what).arg(positional.size()));
        return false;
    }
    value = positional.front();
    return true;
}

QString DescribeFileError(const FileError& error) {
    const QString detail = QString::fromStdString(error.detail);
    switch (error.kind) {
        case FileFailure::UnexpectedFormat: return QStringLiteral("not a Varnelo data file: %1").arg(detail);
        case FileFailure::OpenFailed: return QStringLiteral("cannot open %1").arg(detail);
        case FileFailure::SaveFailed: return QStringLiteral("cannot save: %1").arg(detail);
    }
    return detail;
}

bool OpenSession(const QString& path, Session& session) {
    if (const FileOutcome error = session.open(std::filesystem::path(path.toStdString()))) {
        Fail(DescribeFileError(*error));
        return false;
    }
    return true;
}

std::optional<LoggerConnection> ConnectAsAsked(const QCommandLineParser& parser, CVarneloDoc& doc) {
    QString error;
    const auto choice = LoggerChoiceFromOptions(parser, error);
    if (!choice) {
        Fail(error);
        return std::nullopt;
    }
    ConnectOutcome outcome = ConnectAsChosen(*choice, doc);
    if (!outcome.connection) {
        const bool discovered = choice->kind == LoggerChoice::Kind::Discover;
        Fail(QString::fromStdString(outcome.error + (discovered ? "; name the port with --port PATH" : "")));
        return std::nullopt;
    }
    return std::move(outcome.connection);
}

}  // namespace varnelo::cli
