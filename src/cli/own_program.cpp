#include "cli/own_program.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>

#include "cli/cli_support.h"

namespace varnelo::cli {

int RunOwnProgram(const QString& program, char** arguments) {
    const QDir here(QCoreApplication::applicationDirPath());
    const QStringList candidates{here.filePath(program),
                                 QDir::cleanPath(here.filePath(QStringLiteral(VARNELO_PROGRAMS_FROM_CLI) +
                                                               QLatin1Char('/') + program))};
    for (const QString& path : candidates) {
        if (!QFileInfo(path).isExecutable()) continue;
        std::fflush(nullptr);
        ::execv(QFile::encodeName(path).constData(), arguments);
        return Fail(QStringLiteral("cannot start %1: %2").arg(path, QString::fromLocal8Bit(std::strerror(errno))));
    }
    return Fail(QStringLiteral("cannot find %1 (looked for %2)").arg(program, candidates.join(QStringLiteral(" and "))));
}

}  // namespace varnelo::cli
