#include "cli/cli_support.h"

#include <cstdio>
#include <filesystem>

#include "data/data_file.h"

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

bool LoadDocument(const QString& path, CVarneloDoc& doc) {
    const std::filesystem::path file(path.toStdString());
    if (const FileOutcome error = LoadDataFile(file, doc)) {
        Fail(QString::fromStdString(error->detail + " (" + error->message + ")"));
        return false;
    }
    return true;
}

}  // namespace varnelo::cli
