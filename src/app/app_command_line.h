#pragma once
// varnelo's command line: an optional data file to open at start and the
// switches that choose the logger, as varnelo-cli has them.

#include <QString>
#include <QStringList>
#include <optional>

#include "launch/logger_options.h"

namespace varnelo {

// Whether the window system Qt would choose can be reached: a platform
// chosen by QT_QPA_PLATFORM or -platform is taken as given; on X11 and
// Wayland desktops, DISPLAY or WAYLAND_DISPLAY must be set.
bool DisplayAvailable();

struct AppCommandLine {
    QString file;  // empty: start with a new document
    LoggerChoice logger;
    QString language;  // --lang: empty when not given
};

// Parses the arguments (the program name first). --help and --version print
// and set exitCode 0; a usage error prints one line and sets exitCode 2.
// Either way nothing is returned and the program ends with exitCode.
std::optional<AppCommandLine> ParseAppCommandLine(const QStringList& arguments, int& exitCode);

}  // namespace varnelo
