#include "cli/cli_support.h"

#include <cstdio>
#include <filesystem>


namespace varnelo::cli {

int Fail(const QString& message) {
    std::fprintf(stderr, "varnelo-cli: %s\n", message.toLocal8Bit().constData());
    return 1;
}

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

}  // namespace varnelo::cli
