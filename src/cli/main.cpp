#include <QCoreApplication>
#include <QStringList>
#include <csignal>
#include <cstdio>
#include <string_view>
#include <vector>

#include "cli/cli_support.h"
#include "cli/commands.h"
#include "cli/own_program.h"
#include "launch/path_text.h"

namespace {

using namespace varnelo::cli;

struct Command {
    const char* name;
    int (*run)(const QStringList&);  // none: the command is a program of its own
    const char* usage;
    const char* program = nullptr;
};

const Command COMMANDS[] = {
    {"simulate", RunSimulate, "[--records N] [--seed S] [--link PATH]"},
    {"info", RunInfo, "[--port PATH | --sim]"},
    {"download", RunDownload, "[--port PATH | --sim] -o FILE.vrnldata | --append FILE.vrnldata [--keep-partial]"},
    {"list", RunList, "FILE.vrnldata"},
    {"export", RunExport, "FILE.vrnldata... -o OUT.csv|-|FOLDER [--mode 2ch|reflectance] [--limit]"},
    {"plot", nullptr, "FILE.vrnldata [--record K] [--limit] [--colour-by NAME] -o OUT.png", VARNELO_PLOT_PROGRAM},
    {"track", RunTrack, "FILE.vrnldata... -o OUT.gpx|OUT.geojson|-|FOLDER [--format gpx|geojson]"},
    {"indices", RunIndices, "FILE.vrnldata... -o OUT.csv|-|FOLDER [--index ndvi|pri|rep|mtci|nd:A:B]..."},
    {"points", RunPoints, "FILE.vrnldata... -o OUT.geojson|-|FOLDER [--index NAME]... [--profiles [--smooth sg:W:P]]"},
    {"bands", RunBands, "FILE.vrnldata... -o OUT.csv|-|FOLDER --sensor s2a|l8 [--srf TABLE.csv] [--partial]"},
    {"library", RunLibrary, "FILE.vrnldata... -o OUT.sli [--smooth sg:W:P [--derivative]] [--mean N|gap:S]"},
    {"netcdf", RunNetcdf, "FILE.vrnldata... -o OUT.nc|FOLDER [--index NAME]... [--smooth sg:W:P] [--utc-offset +HH:MM|auto]"},
    {"upload-sensor", RunUploadSensor, "[--port PATH | --sim] --settings FILE --sensor NAME --channel 1|2 [--verify]"},
    {"sensors", RunSensors, "FILE.csv"},
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
        return UsageError(QStringLiteral("unknown command %1 (try varnelo-cli --help)")
                              .arg(Quoted(varnelo::ArgumentText(helpAsked ? argv[2] : argv[1]))));
    }

    // The arguments as given, before the application may take any of them.
    std::vector<char*> given(argv, argv + argc);
    char help[] = "--help";
    if (helpAsked) given = {argv[0], argv[2], help};
    given.push_back(nullptr);
    const QCoreApplication app(argc, argv);
    if (command->program != nullptr) return RunOwnProgram(QString::fromLatin1(command->program), given.data());
    QCoreApplication::setApplicationName(QStringLiteral("varnelo-cli"));
    // From argv itself: file names are bytes, and QCoreApplication::arguments()
    // would lose those that are not UTF-8.
    QStringList arguments;
    for (int i = 1; i < argc; ++i) arguments << varnelo::ArgumentText(argv[i]);  // the command's parser sees its own name first
    if (helpAsked) arguments = QStringList{QString::fromLatin1(command->name), QStringLiteral("--help")};
    return command->run(arguments);
}

}  // namespace

int main(int argc, char** argv) {
    // A reader that goes away (`| head`) ends the program quietly, as with
    // any filter, even when the parent ignored the signal.
    std::signal(SIGPIPE, SIG_DFL);
    return FinishCommand(Dispatch(argc, argv));
}
