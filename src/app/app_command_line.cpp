#include "app/app_command_line.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <cstdio>

namespace varnelo {

std::optional<AppCommandLine> ParseAppCommandLine(const QStringList& arguments, int& exitCode) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Varnelo: downloads, shows and exports the records of a two-channel spectral logger.\n"
        "Without --port or --sim the logger is found by its USB id."));
    parser.addPositionalArgument(QStringLiteral("file"), QStringLiteral("a data file (*.vrnldata) to open at start"),
                                 QStringLiteral("[FILE.vrnldata]"));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    AddLoggerOptions(parser);

    const auto fail = [&exitCode](const QString& message) {
        std::fprintf(stderr, "varnelo: %s\n", message.toLocal8Bit().constData());
        exitCode = 2;
        return std::nullopt;
    };
    if (!parser.parse(arguments)) return fail(parser.errorText());
    if (parser.isSet(help) || parser.isSet(version)) {
        const QString text = parser.isSet(help) ? parser.helpText()
                                                : QCoreApplication::applicationName() + QLatin1Char(' ') +
                                                      QCoreApplication::applicationVersion() + QLatin1Char('\n');
        std::fputs(text.toLocal8Bit().constData(), stdout);
        exitCode = 0;
        return std::nullopt;
    }
    const QStringList files = parser.positionalArguments();
    if (files.size() > 1) return fail(QStringLiteral("one data file at most, not %1").arg(files.size()));

    AppCommandLine line;
    if (!files.isEmpty()) line.file = files.front();
    QString error;
    const auto logger = LoggerChoiceFromOptions(parser, error);
    if (!logger) return fail(error);
    line.logger = *logger;
    return line;
}

}  // namespace varnelo
