// Commands whose subsystems are not built yet say so plainly.
#include "cli/cli_support.h"
#include "cli/commands.h"

namespace varnelo::cli {

namespace {
int NotYet(const QStringList& arguments) {
    return Fail(QStringLiteral("'%1' is not available in this build").arg(arguments.front()));
}
}  // namespace

int RunSimulate(const QStringList& arguments) { return NotYet(arguments); }
int RunInfo(const QStringList& arguments) { return NotYet(arguments); }
int RunDownload(const QStringList& arguments) { return NotYet(arguments); }
int RunExport(const QStringList& arguments) { return NotYet(arguments); }
int RunPlot(const QStringList& arguments) { return NotYet(arguments); }
int RunTrack(const QStringList& arguments) { return NotYet(arguments); }

}  // namespace varnelo::cli
