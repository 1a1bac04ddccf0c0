#include <QCoreApplication>
#include <QStringList>
#include <cstdio>
#include <cstring>

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
};

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
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("varnelo-cli"));
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();  // the subcommand's parser sees its own name first
    for (const Command& c : COMMANDS) {
        if (arguments.front() == QLatin1String(c.name)) return c.run(arguments);
    }
    varnelo::cli::Fail(QStringLiteral("unknown command '%1' (try --help)").arg(arguments.front()));
    return 2;
}
