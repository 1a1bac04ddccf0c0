#include "app/app_command_line.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <cstdio>
#include <cstdlib>

#include "app/language.h"

namespace varnelo {

#if defined(__unix__) && !defined(__APPLE__)
bool DisplayAvailable() {
    const auto set = [](const char* name) {
        const char* value = std::getenv(name);
        return value != nullptr && *value != '\0';
    };
    return set("QT_QPA_PLATFORM") || set("DISPLAY") || set("WAYLAND_DISPLAY");
}
#else
bool DisplayAvailable() { return true; }  // the desktop is always there
#endif

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
    const QCommandLineOption language(QStringLiteral("lang"),
                                      QStringLiteral("the language of the window: %1 (default: VARNELO_LANG, else "
                                                     "the one last chosen in the View menu, else ja)")
                                          .arg(AvailableLanguages().join(QLatin1Char('|'))),
                                      QStringLiteral("CODE"));
    parser.addOption(language);

    const auto fail = [&exitCode](const QString& message) {
        std::fprintf(stderr, "varnelo: %s\n", message.toLocal8Bit().constData());
        exitCode = 2;
        return std::nullopt;
    };
    if (!parser.parse(arguments)) return fail(parser.errorText());
    if (parser.isSet(help) || parser.isSet(version)) {
        // Before the application exists Qt does not know the program's name.
        const QString text = parser.isSet(help) ? parser.helpText().replace(QStringLiteral("<executable_name>"),
                                                                            QStringLiteral("varnelo"))
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
    if (parser.isSet(language)) {
        line.language = parser.value(language);
        if (!AvailableLanguages().contains(line.language)) {
            return fail(QStringLiteral("--lang must be one of %1, not '%2'")
                            .arg(AvailableLanguages().join(QStringLiteral(", ")), line.language));
        }
    }
    QString error;
    const auto logger = LoggerChoiceFromOptions(parser, error);
    if (!logger) return fail(error);
    line.logger = *logger;
    return line;
}

}  // namespace varnelo
