#include <QCoreApplication>
#include <QGuiApplication>
#include <QStringList>
#include <cstdio>
#include <cstring>
#include <memory>

#include "cli/cli_support.h"
#include "cli/commands.h"

namespace {

struct Command {
    const char* name;
    int (*run)(const QStringList&);
    const char* usage;
};

const Command COMMANDS[] = {
    {"simulate", varnelo::cli::RunSimulate, "[--records N] [--seed S] [--link PATH]"},
    {"info", varnelo::cli::RunInfo, "[--port PATH | --sim]"},
    {"download", varnelo::cli::RunDownload, "[--port PATH | --sim] -o FILE.vrnldata"},
    {"list", varnelo::cli::RunList, "FILE.vrnldata"},
    {"export", varnelo::cli::RunExport, "FILE.vrnldata -o OUT.csv [--mode 2ch|reflectance] [--limit]"},
    {"plot", varnelo::cli::RunPlot, "FILE.vrnldata [--record K] [--limit] -o OUT.png"},
    {"track", varnelo::cli::RunTrack, "FILE.vrnldata -o OUT.gpx|OUT.geojson"},
    {"upload-sensor", varnelo::cli::RunUploadSensor,
     "[--port PATH | --sim] --settings FILE --sensor NAME --channel 1|2 [--verify]"},
    {"sensors", varnelo::cli::RunSensors, "FILE.csv"},
};

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

void PrintUsage(std::FILE* to) {
    std::fputs("usage: varnelo-cli COMMAND [options]\n", to);
    for (const Command& c : COMMANDS) std::fprintf(to, "  varnelo-cli %-9s %s\n", c.name, c.usage);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        PrintUsage(stderr);
        return 2;
    }
    if (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
        PrintUsage(stdout);
        return 0;
    }
    // plot renders text, which needs the GUI application; unless told
    // otherwise it renders off-screen, so it runs without a display.
    const bool needsGui = std::strcmp(argv[1], "plot") == 0;
    if (needsGui && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    if (needsGui) g_nextMessageHandler = qInstallMessageHandler(DropRuntimeFolderNotice);
    const std::unique_ptr<QCoreApplication> app =
        needsGui ? std::make_unique<QGuiApplication>(argc, argv) : std::make_unique<QCoreApplication>(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("varnelo-cli"));
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();  // the subcommand's parser sees its own name first
    for (const Command& c : COMMANDS) {
        if (arguments.front() == QLatin1String(c.name)) return c.run(arguments);
    }
    varnelo::cli::Fail(QStringLiteral("unknown command '%1' (try --help)").arg(arguments.front()));
    return 2;
}
