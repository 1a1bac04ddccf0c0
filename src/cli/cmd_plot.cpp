// plot: the spectrum and track charts of a data file as a PNG image.
#include "cli/cli_support.h"
#include "cli/commands.h"

namespace varnelo::cli {

int RunPlot(const QStringList& arguments) { return Fail(QStringLiteral("'%1' is not available yet").arg(arguments.front())); }

}  // namespace varnelo::cli
