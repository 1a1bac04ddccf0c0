// varnelo: the desktop program.
#include <QApplication>
#include <cstdio>
#include <cstdlib>

#if defined(__unix__)
#include <pwd.h>
#include <unistd.h>
#endif

#include "app/app_command_line.h"
#include "app/app_icons.h"
#include "app/language.h"
#include "app/main_frame.h"
#include "launch/path_text.h"

namespace {

// Without HOME the profile would go to /.config, which is nobody's: the
// user's home from the password database is where it belongs.
#if defined(__unix__)
void SettleHome() {
    const char* home = std::getenv("HOME");
    if (home != nullptr && *home != '\0') return;
    if (const passwd* user = ::getpwuid(::getuid()); user != nullptr && user->pw_dir != nullptr) {
        ::setenv("HOME", user->pw_dir, 1);
    }
}
#else
void SettleHome() {}
#endif

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication::setOrganizationName(QStringLiteral("アプリケーション ウィザードで生成されたローカル アプリケーション"));
    QCoreApplication::setApplicationName(QStringLiteral("Varnelo"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VARNELO_VERSION));

    // The switches are read before any window exists, so that --help,
    // --version and a bad switch answer without a display. From argv
    // itself: a file name that is not UTF-8 must reach the system unchanged.
    QStringList arguments;
    for (int i = 0; i < argc; ++i) arguments << varnelo::ArgumentText(argv[i]);
    int exitCode = 0;
    const auto commandLine = varnelo::ParseAppCommandLine(arguments, exitCode);
    if (!commandLine) return exitCode;

    // Without a display QApplication would abort the program: say so instead.
    if (!varnelo::DisplayAvailable()) {
        std::fputs("varnelo needs a display (set DISPLAY or QT_QPA_PLATFORM=offscreen); varnelo-cli works without one\n",
                   stderr);
        return 1;
    }
    SettleHome();
    QApplication app(argc, argv);
    QApplication::setWindowIcon(varnelo::ApplicationIcon());
    // Japanese unless English is chosen; the standard dialogs and buttons follow.
    varnelo::InstallLanguage(varnelo::StartLanguage(commandLine->language));

    varnelo::CMainFrame frame(commandLine->logger);
    if (!frame.start(commandLine->file)) return 1;
    return QApplication::exec();
}
