#include "app/language.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLibraryInfo>
#include <QMenu>
#include <QMetaProperty>
#include <QPointer>
#include <QSettings>
#include <QStatusBar>
#include <QTranslator>
#include <QWidget>
#include <QXmlStreamReader>
#include <map>
#include <memory>

#include "language/language_choice.h"
#include "language/text_catalogue.h"

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

// The messages of translations/varnelo_<code>.ts, built in beside the
// compiled file: tr() reads the compiled one, switching needs the list.
std::vector<CatalogueMessage> ReadMessages(const QString& code) {
    std::vector<CatalogueMessage> messages;
    QFile file(TRANSLATIONS + QStringLiteral("/varnelo_%1.ts").arg(code));
    if (!file.open(QIODevice::ReadOnly)) return messages;
    QXmlStreamReader xml(&file);
    QString context;
    CatalogueMessage message;
    bool usable = true;
    bool ownName = false;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            const auto name = xml.name();
            if (name == u"message") {
                message = {};
                usable = true;
                ownName = false;
            } else if (name == u"name") {
                context = xml.readElementText();
            } else if (name == u"source") {
                message.source = xml.readElementText().toStdString();
            } else if (name == u"comment") {
                ownName = xml.readElementText() == QLatin1String(OWN_NAME.comment);
            } else if (name == u"translation") {
                const QString type = xml.attributes().value(QStringLiteral("type")).toString();
                // lrelease leaves unfinished texts out: tr() shows their source.
                usable = type != QLatin1String("vanished") && type != QLatin1String("obsolete");
                const QString text = xml.readElementText();
                if (type != QLatin1String("unfinished")) message.translation = text.toStdString();
            }
        } else if (xml.isEndElement() && xml.name() == u"message") {
            // A translation's own name stays as it is in every language.
            if (usable && !ownName) {
                message.context = context.toStdString();
                messages.push_back(message);
            }
        }
    }
    return messages;
}

// One catalogue per language; the source language's reads every message as written.
const TextCatalogue& Catalogue(const QString& code) {
    static std::map<QString, std::unique_ptr<TextCatalogue>> catalogues;
    auto& entry = catalogues[code];
    if (!entry) {
        std::vector<CatalogueMessage> messages;
        if (code == QLatin1String(SOURCE_LANGUAGE.data())) {
            for (const QString& other : AvailableLanguages()) {
                for (CatalogueMessage& m : ReadMessages(other)) {
                    m.translation.clear();
                    messages.push_back(std::move(m));
                }
            }
        } else {
            messages = ReadMessages(code);
        }
        entry = std::make_unique<TextCatalogue>(std::move(messages));
    }
    return *entry;
}

// The tr() context a text of this object most likely came from: the
// nearest of its owners that is one of the program's own classes.
std::string ContextOf(const QObject* object) {
    for (; object != nullptr; object = object->parent()) {
        const QString name = QString::fromLatin1(object->metaObject()->className());
        if (name.startsWith(QLatin1String("varnelo::"))) return name.toStdString();
    }
    return {};
}

// Text properties that hold the user's or the system's words, never ours.
bool Untouchable(const QObject* object, const char* property) {
    static const QStringList names = {QStringLiteral("objectName"), QStringLiteral("styleSheet"),
                                      QStringLiteral("windowFilePath"), QStringLiteral("html"),
                                      QStringLiteral("plainText"), QStringLiteral("markdown"),
                                      QStringLiteral("inputMask"), QStringLiteral("currentText")};
    return names.contains(QLatin1String(property)) ||
           (object->inherits("QLineEdit") && qstrcmp(property, "text") == 0);
}

struct Change {
    QPointer<QObject> object;
    QByteArray property;  // empty: the status bar's message
    QString before;
    QString after;
};

std::vector<Change> PlanChanges(const TextCatalogue& from, const TextCatalogue& to) {
    std::vector<Change> changes;
    const auto say = [&](QObject* object, const QByteArray& property, const QString& text) {
        if (text.isEmpty()) return;
        if (auto said = Retranslate(from, to, text.toStdString(), ContextOf(object))) {
            changes.push_back({object, property, text, QString::fromStdString(*said)});
        }
    };
    for (QWidget* window : QApplication::topLevelWidgets()) {
        QList<QObject*> objects = window->findChildren<QObject*>();
        objects.prepend(window);
        for (QObject* object : objects) {
            // An action's prompt is one message: the status-bar text, a line
            // feed, the tooltip ("保存" is the tip of more than one prompt).
            bool promptSaid = false;
            if (auto* action = qobject_cast<QAction*>(object)) {
                const QString status = action->statusTip();
                const QString tip = action->toolTip();
                const QString prompt = status + QLatin1Char('\n') + tip;
                if (auto said = Retranslate(from, to, prompt.toStdString(), ContextOf(object)); said && !status.isEmpty()) {
                    const QStringList parts = QString::fromStdString(*said).split(QLatin1Char('\n'));
                    changes.push_back({object, "statusTip", status, parts.value(0)});
                    changes.push_back({object, "toolTip", tip, parts.mid(1).join(QLatin1Char('\n'))});
                    promptSaid = true;
                }
            }
            const QMetaObject* meta = object->metaObject();
            for (int i = 0; i < meta->propertyCount(); ++i) {
                const QMetaProperty p = meta->property(i);
                if (p.typeId() != QMetaType::QString || !p.isReadable() || !p.isWritable() ||
                    Untouchable(object, p.name())) {
                    continue;
                }
                if (promptSaid && (qstrcmp(p.name(), "statusTip") == 0 || qstrcmp(p.name(), "toolTip") == 0)) continue;
                say(object, p.name(), p.read(object).toString());
            }
            if (auto* bar = qobject_cast<QStatusBar*>(object)) say(bar, {}, bar->currentMessage());
        }
    }
    return changes;
}

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
    const std::vector<Change> changes = PlanChanges(Catalogue(g_current), Catalogue(code));
    // The LanguageChange events go out now: a widget that redoes its own
    // texts there has the last word, and is left alone below.
    InstallLanguage(code);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LanguageChange);
    for (const Change& change : changes) {
        if (!change.object) continue;
        if (change.property.isEmpty()) {
            auto* bar = static_cast<QStatusBar*>(change.object.data());
            if (bar->currentMessage() == change.before) bar->showMessage(change.after);
        } else if (change.object->property(change.property.constData()).toString() == change.before) {
            change.object->setProperty(change.property.constData(), change.after);
        }
    }
}

QMenu* AddLanguageMenu(QMenu* viewMenu) {
    QMenu* menu = viewMenu->addMenu(QCoreApplication::translate("varnelo::Language", "言語 / Language"));
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
