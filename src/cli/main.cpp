#include <QCoreApplication>
#include <QGuiApplication>
#include <QStringList>
#include <csignal>
#include <cstdio>
#include <memory>
#include <string_view>

#include "cli/cli_support.h"
#include "cli/commands.h"

namespace {

using namespace varnelo::cli;

struct Command {
    const char* name;
    int (*run)(const QStringList&);
    const char* usage;
    bool drawsCharts;  // needs the GUI application, which renders text
};

const Command COMMANDS[] = {
    {"simulate", RunSimulate, "[--records N] [--seed S] [--link PATH]", false},
    {"info", RunInfo, "[--port PATH | --sim]", false},
    {"download", RunDownload, "[--port PATH | --sim] -o FILE.vrnldata", false},
    {"list", RunList, "FILE.vrnldata", false},
    {"export", RunExport, "FILE.vrnldata -o OUT.csv|- [--mode 2ch|reflectance] [--limit]", false},
    {"plot", RunPlot, "FILE.vrnldata [--record K] [--limit] -o OUT.png", true},
    {"track", RunTrack, "FILE.vrnldata -o OUT.gpx|OUT.geojson|- [--format gpx|geojson]", false},
    {"upload-sensor", RunUploadSensor, "[--port PATH | --sim] --settings FILE --sensor NAME --channel 1|2 [--verify]",
     false},
    {"sensors", RunSensors, "FILE.csv", false},
};

const Command* FindCommand(std::string_view name) {
    for (const Command& c : COMMANDS) {
        if (name == c.name) return &c;
    }
    return nullptr;
}

void PrintUsage(std::FILE* to) {
    std::fputs("usage: varnelo-cli COMMAND [options]\n", to);
    for (const Command& c : COMMANDS) std::fprintf(to, "  varnelo-cli %-13s %s\n", c.name, c.usage);
    std::fputs("  varnelo-cli --version | help COMMAND\n", to);
}

// Without a per-user runtime folder (a headless run) the GUI application
// falls back to a private one and says so on stderr; that notice is dropped
// so that a failing command still prints exactly one line.
QtMessageHandler g_nextMessageHandler = nullptr;
void DropRuntimeFolderNotice(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (message.startsWith(QLatin1String("QStandardPaths: "))) return;
    if (g_nextMessageHandler != nullptr) {
        g_nextMessageHandler(type, context, message);
    } else {
        std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
    }
}

int Dispatch(int argc, char** argv) {
    if (argc < 2) {
        PrintUsage(stderr);
        return EXIT_USAGE_ERROR;
    }
    const std::string_view first = argv[1];
    if (first == "--help" || first == "-h" || (first == "help" && argc == 2)) {
        PrintUsage(stdout);
        return 0;
    }
    if (first == "--version") {
        std::printf("varnelo-cli %s\n", VARNELO_VERSION);
        return 0;
    }
    const bool helpAsked = first == "help";
    if (helpAsked && argc > 3) return UsageError(QStringLiteral("help takes one command"));
    const Command* command = FindCommand(helpAsked ? argv[2] : argv[1]);
    if (command == nullptr) {
        return UsageError(QStringLiteral("unknown command '%1' (try varnelo-cli --help)")
                              .arg(QString::fromLocal8Bit(helpAsked ? argv[2] : argv[1])));
    }

    // Charts render off-screen unless told otherwise, so plot runs without a display.
    const bool gui = command->drawsCharts && !helpAsked;
    if (gui && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    if (gui) g_nextMessageHandler = qInstallMessageHandler(DropRuntimeFolderNotice);
    const std::unique_ptr<QCoreApplication> app =
        gui ? std::make_unique<QGuiApplication>(argc, argv) : std::make_unique<QCoreApplication>(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("varnelo-cli"));
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();  // the command's parser sees its own name first
    if (helpAsked) arguments = QStringList{QString::fromLatin1(command->name), QStringLiteral("--help")};
    return command->run(arguments);
}

}  // namespace

int main(int argc, char** argv) {
    // A reader that goes away (`| head`) ends the program quietly, as with
    // any filter, even when the parent ignored the signal.
    std::signal(SIGPIPE, SIG_DFL);
    const int status = Dispatch(argc, argv);
    if (status != 0) {
        std::fflush(stdout);  // the failure has been said once already
        return status;
    }
    return FinishStandardOutput() ? 0 : EXIT_FAILED;
}
