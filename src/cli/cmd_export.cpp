// export and track: the commands that write a data file's records out.
#include "cli/cli_support.h"
#include "cli/commands.h"

namespace varnelo::cli {

int RunExport(const QStringList& arguments) { return Fail(QStringLiteral("'%1' is not available yet").arg(arguments.front())); }
int RunTrack(const QStringList& arguments) { return Fail(QStringLiteral("'%1' is not available yet").arg(arguments.front())); }

}  // namespace varnelo::cli
