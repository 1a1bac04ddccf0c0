#include "app/language.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QDir>
#include <QEvent>
#include <QLibraryInfo>
#include <QMenu>
#include <QPointer>
#include <QSettings>
#include <QTranslator>

#include "language/language_choice.h"

namespace varnelo {

namespace {

const QString TRANSLATIONS = QStringLiteral(":/i18n");
const char* const LANGUAGE_CONTEXT = "varnelo::Language";
// The message that holds each translation's own name ("English",
// "Deutsch"): the same source as Japanese's name, told apart by its
// disambiguation. It names the entry of the language menu in every language.
struct MarkedText {
    const char* source;
    const char* comment;
};
constexpr MarkedText OWN_NAME = QT_TRANSLATE_NOOP3("varnelo::Language", "日本語", "own name");

QString g_current = QString::fromLatin1(SOURCE_LANGUAGE.data(), static_cast<qsizetype>(SOURCE_LANGUAGE.size()));
QPointer<QTranslator> g_appTranslator;
QPointer<QTranslator> g_qtTranslator;

std::vector<std::string> ToStd(const QStringList& list) {
    std::vector<std::string> out;
    for (const QString& s : list) out.push_back(s.toStdString());
    return out;
}

// The View menu's language submenu: its title follows the language, and the
// mark follows a switch made elsewhere (--lang at the next start, a test).
class LanguageMenu : public QMenu {
public:
    explicit LanguageMenu(QWidget* parent) : QMenu(parent) { retranslateUi(); }

protected:
    void changeEvent(QEvent* event) override {
        if (event->type() == QEvent::LanguageChange) retranslateUi();
        QMenu::changeEvent(event);
    }

private:
    void retranslateUi() {
        setTitle(QCoreApplication::translate("varnelo::Language", "言語 / Language"));
        for (QAction* entry : actions()) entry->setChecked(entry->data().toString() == g_current);
    }
};

}  // namespace

QStringList AvailableLanguages() {
    QStringList codes{QString::fromLatin1(SOURCE_LANGUAGE.data(), static_cast<qsizetype>(SOURCE_LANGUAGE.size()))};
    for (const QString& name : QDir(TRANSLATIONS).entryList({QStringLiteral("varnelo_*.qm")}, QDir::Files, QDir::Name)) {
        codes << name.mid(8, name.size() - 8 - 3);
    }
    return codes;
}

QString StartLanguage(const QString& commandLine) {
    const auto text = [](const QString& s) {
        return s.isEmpty() ? std::nullopt : std::optional<std::string>(s.toStdString());
    };
    const auto given = text(commandLine);
    const auto environment = text(qEnvironmentVariable("VARNELO_LANG"));
    const auto profile = text(QSettings().value(QLatin1String(PROFILE_LANGUAGE)).toString());
    const LanguageChoice choice = ChooseLanguage(given, environment, profile, ToStd(AvailableLanguages()));
    return QString::fromStdString(choice.code);
}

void InstallLanguage(const QString& code) {
    for (QPointer<QTranslator>* translator : {&g_appTranslator, &g_qtTranslator}) {
        if (*translator) {
            QCoreApplication::removeTranslator(*translator);
            delete translator->data();
        }
    }
    // Parented to the application: gone with it, whatever the order of exit.
    auto* qt = new QTranslator(QCoreApplication::instance());
    if (qt->load(QStringLiteral("qtbase_") + code, QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QCoreApplication::installTranslator(qt);
    }
    g_qtTranslator = qt;
    if (code != QLatin1String(SOURCE_LANGUAGE.data())) {
        auto* app = new QTranslator(QCoreApplication::instance());
        if (app->load(TRANSLATIONS + QStringLiteral("/varnelo_%1.qm").arg(code))) QCoreApplication::installTranslator(app);
        g_appTranslator = app;
    }
    g_current = code;
}

QString CurrentLanguage() { return g_current; }

void SwitchLanguage(const QString& code) {
    if (code == g_current) return;
    InstallLanguage(code);
    // Every window says its texts again in its changeEvent; now, not at the
    // next turn of the event loop, so that the switch is whole on return.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LanguageChange);
}

QMenu* AddLanguageMenu(QMenu* viewMenu) {
    auto* menu = new LanguageMenu(viewMenu);
    viewMenu->addMenu(menu);
    auto* group = new QActionGroup(menu);
    group->setExclusive(true);
    for (const QString& code : AvailableLanguages()) {
        QString name;
        if (code == QLatin1String(SOURCE_LANGUAGE.data())) {
            // A language is listed by its own name, whatever the window speaks.
            name = QString::fromUtf8(OWN_NAME.source);
        } else {
            QTranslator translation;
            if (translation.load(TRANSLATIONS + QStringLiteral("/varnelo_%1.qm").arg(code))) {
                name = translation.translate(LANGUAGE_CONTEXT, OWN_NAME.source, OWN_NAME.comment);
            }
            if (name.isEmpty()) name = code;
        }
        QAction* entry = menu->addAction(name);
        entry->setCheckable(true);
        entry->setChecked(code == g_current);
        entry->setData(code);
        group->addAction(entry);
        QObject::connect(entry, &QAction::triggered, menu, [code] {
            QSettings().setValue(QLatin1String(PROFILE_LANGUAGE), code);
            SwitchLanguage(code);
        });
    }
    return menu;
}

}  // namespace varnelo
