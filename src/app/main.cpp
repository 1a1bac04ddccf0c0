// varnelo: the desktop program.
#include <QApplication>

#include "app/app_command_line.h"
#include "app/app_icons.h"
#include "app/language.h"
#include "app/main_frame.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("アプリケーション ウィザードで生成されたローカル アプリケーション"));
    QCoreApplication::setApplicationName(QStringLiteral("Varnelo"));
    QCoreApplication::setApplicationVersion(QStringLiteral("1.0"));
    QApplication::setWindowIcon(varnelo::ApplicationIcon());

    int exitCode = 0;
    const auto commandLine = varnelo::ParseAppCommandLine(QCoreApplication::arguments(), exitCode);
    if (!commandLine) return exitCode;

    // Japanese unless English is chosen; the standard dialogs and buttons follow.
    varnelo::InstallLanguage(varnelo::StartLanguage(commandLine->language));

    varnelo::CMainFrame frame(commandLine->logger);
    if (!frame.start(commandLine->file)) return 1;
    return QApplication::exec();
}
