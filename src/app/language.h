#pragma once
// The language of the desktop program's user interface: Japanese, the
// language its texts are written in, or a translation built into the program
// (translations/varnelo_<code>.ts). It is chosen at start by --lang, else
// VARNELO_LANG, else the profile's choice from the View menu, and can be
// switched while the window is open. Files and the command line's output do
// not depend on it.

#include <QString>
#include <QStringList>

class QMenu;

namespace varnelo {

// The profile value that keeps the View menu's choice.
inline constexpr char PROFILE_LANGUAGE[] = "view/language";

// "ja" first, then the code of every translation built into the program.
QStringList AvailableLanguages();

// The language for this run: commandLine (--lang, empty when not given),
// else VARNELO_LANG, else the profile's choice, else Japanese.
QString StartLanguage(const QString& commandLine);

// Puts code's translations in place, the program's and Qt's own for its
// standard dialogs and buttons; what tr() says from then on.
void InstallLanguage(const QString& code);
QString CurrentLanguage();

// Installs code's translations; every window, dialog and menu then says its
// texts again from tr() in its changeEvent(QEvent::LanguageChange), the
// status bar's message included, before this returns.
void SwitchLanguage(const QString& code);

// The View menu's "言語 / Language": one exclusive entry per language, each
// named so that its own readers find it; choosing one switches at once and
// keeps the choice in the profile.
QMenu* AddLanguageMenu(QMenu* viewMenu);

}  // namespace varnelo
