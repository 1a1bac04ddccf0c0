// simulate, info, download: the commands that talk to a logger.
#include "cli/cli_support.h"
#include "cli/commands.h"

namespace varnelo::cli {

int RunSimulate(const QStringList& arguments) { return Fail(QStringLiteral("'%1' is not available yet").arg(arguments.front())); }
int RunInfo(const QStringList& arguments) { return Fail(QStringLiteral("'%1' is not available yet").arg(arguments.front())); }
int RunDownload(const QStringList& arguments) { return Fail(QStringLiteral("'%1' is not available yet").arg(arguments.front())); }

}  // namespace varnelo::cli
