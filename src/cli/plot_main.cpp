// varnelo-cli plot, as the program varnelo-cli starts in its own place: the
// one command that draws, and so the only one that loads the GUI libraries.
#include <QGuiApplication>
#include <QStringList>
#include <csignal>
#include <cstdio>

#include "cli/cli_support.h"
#include "cli/commands.h"

namespace {

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

}  // namespace

int main(int argc, char** argv) {
    using namespace varnelo::cli;
    std::signal(SIGPIPE, SIG_DFL);
    // Charts render off-screen unless told otherwise, so plot runs without a display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    g_nextMessageHandler = qInstallMessageHandler(DropRuntimeFolderNotice);
    const QGuiApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("varnelo-cli"));
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();  // the command's parser sees its own name first
    return FinishCommand(RunPlot(arguments));
}
