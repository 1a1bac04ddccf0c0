// The desktop program in English and back: no Japanese left anywhere in the
// window or its dialogs, every text restored on the way back, the choice kept
// in the profile for the next start, every text within its dialog-unit
// rectangle in both languages, and the files the same in both.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QFileDialog>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMetaProperty>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QStyleOptionButton>

#include "app/about_dialog.h"
#include "app/language.h"
#include "app/main_frame.h"
#include "app/setting_dialog.h"
#include "app/varnelo_view.h"
#include "app_test_support.h"
#include "support/test_support.h"

// Failures show texts, not UTF-16 code units.
static void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }

namespace varnelo {
namespace {

using test::ModalAnswer;
using test::WaitFor;

bool IsJapanese(QChar c) {
    const char16_t u = c.unicode();
    return (u >= 0x3000 && u <= 0x30FF) || (u >= 0x3400 && u <= 0x4DBF) || (u >= 0x4E00 && u <= 0x9FFF) ||
           (u >= 0xFF00 && u <= 0xFFEF);
}

// Every text a user can meet in a window: each text property of the window
// and everything in it (menus, actions and their tips, labels, buttons,
// titles), and the status bar's message; "object.property" -> text.
std::map<QString, QString> Texts(QWidget& window) {
    std::map<QString, QString> texts;
    QList<QObject*> objects = window.findChildren<QObject*>();
    objects.prepend(&window);
    for (int n = 0; n < objects.size(); ++n) {
        QObject* object = objects[n];
        const QString name = QStringLiteral("%1#%2 %3").arg(n).arg(QString::fromLatin1(object->metaObject()->className()),
                                                               object->objectName());
        const QMetaObject* meta = object->metaObject();
        for (int i = 0; i < meta->propertyCount(); ++i) {
            const QMetaProperty p = meta->property(i);
            if (p.typeId() != QMetaType::QString || qstrcmp(p.name(), "objectName") == 0) continue;
            const QString text = p.read(object).toString();
            if (!text.isEmpty()) texts[name + QLatin1Char('.') + QLatin1String(p.name())] = text;
        }
        if (auto* bar = qobject_cast<QStatusBar*>(object)) texts[name + QStringLiteral(".message")] = bar->currentMessage();
    }
    return texts;
}

void ExpectNoJapanese(const std::map<QString, QString>& texts, const char* where) {
    for (const auto& [name, text] : texts) {
        if (text == QStringLiteral("日本語")) continue;  // the language menu names each language in itself
        EXPECT_FALSE(std::any_of(text.begin(), text.end(), IsJapanese))
            << where << ": " << name.toStdString() << " = " << text.toStdString();
    }
}

void ExpectSameTexts(const std::map<QString, QString>& now, const std::map<QString, QString>& before,
                     const char* when) {
    EXPECT_EQ(now.size(), before.size()) << when;
    for (const auto& [name, text] : before) {
        const auto found = now.find(name);
        EXPECT_EQ(found == now.end() ? QStringLiteral("(gone)") : found->second, text)
            << when << ": " << name.toStdString();
    }
}

// Each test starts and ends in Japanese, as the program does.
class Language : public ::testing::Test {
protected:
    void SetUp() override {
        test::FreshApplication();
        InstallLanguage(QStringLiteral("ja"));
    }
    void TearDown() override {
        if (frame) frame->session().renew();  // close without the question
        frame.reset();
        InstallLanguage(QStringLiteral("ja"));
    }
    CMainFrame& Start(int records = 4) {
        frame = std::make_unique<CMainFrame>(test::SimulatedLogger(records, 5));
        EXPECT_TRUE(test::StartAndConnect(*frame));
        return *frame;
    }
    void Download() {
        QTest::mouseClick(frame->view()->readButton(), Qt::LeftButton);
        ASSERT_TRUE(WaitFor([&] { return !frame->view()->downloading(); }, 60000));
    }
    QAction* LanguageEntry(const QString& code) {
        for (QAction* a : frame->findChildren<QAction*>()) {
            if (a->data().toString() == code && a->isCheckable()) return a;
        }
        return nullptr;
    }
    // The texts of each dialog the window opens without a real logger,
    // gathered while it is shown, then closed.
    std::map<QString, std::map<QString, QString>> DialogTexts() {
        std::map<QString, std::map<QString, QString>> dialogs;
        {
            ModalAnswer<CAboutDlg> about([&](CAboutDlg& d) { dialogs["about"] = Texts(d), d.accept(); });
            frame->OnAppAbout();
        }
        {
            ModalAnswer<CSettingDlg> settings([&](CSettingDlg& d) { dialogs["settings"] = Texts(d), d.accept(); });
            frame->OnEditHardware();
        }
        {
            // The question about the unsaved download, then the file dialog.
            ModalAnswer<QMessageBox> question([&](QMessageBox& d) {
                dialogs["question"] = Texts(d);
                d.button(QMessageBox::No)->click();
            });
            ModalAnswer<QFileDialog> open([&](QFileDialog& d) { dialogs["open"] = Texts(d), d.reject(); });
            frame->OnFileOpen();
            EXPECT_TRUE(question.answered() && open.answered());
        }
        return dialogs;
    }

    test::TempDir dir;
    test::CurrentFolder here{QString::fromStdString(dir.path().string())};
    std::unique_ptr<CMainFrame> frame;
};

TEST_F(Language, SwitchingToEnglishLeavesNoJapaneseAndSwitchingBackRestoresEveryText) {
    Start();
    Download();
    const auto japanese = Texts(*frame);
    ASSERT_TRUE(LanguageEntry(QStringLiteral("ja"))->isChecked());
    // Dialogs open at the switch follow it too.
    CAboutDlg openAbout;
    CSettingDlg openSettings(frame->session().doc().deviceInfo(), frame->session().doc().parameterBlock(), nullptr, false);

    LanguageEntry(QStringLiteral("en"))->trigger();
    EXPECT_EQ(CurrentLanguage(), QStringLiteral("en"));
    ExpectNoJapanese(Texts(openAbout), "open about box");
    ExpectNoJapanese(Texts(openSettings), "open settings");
    const auto english = Texts(*frame);
    ExpectNoJapanese(english, "window");
    EXPECT_EQ(frame->windowTitle(), QStringLiteral("Varnelo - Untitled[*]"));
    EXPECT_EQ(frame->view()->readButton()->text(), QStringLiteral("Download"));
    EXPECT_EQ(frame->statusBar()->currentMessage(), QStringLiteral("4 records downloaded"));
    EXPECT_TRUE(LanguageEntry(QStringLiteral("en"))->isChecked());
    EXPECT_EQ(LanguageEntry(QStringLiteral("ja"))->text(), QStringLiteral("日本語"));

    LanguageEntry(QStringLiteral("ja"))->trigger();
    ExpectSameTexts(Texts(*frame), japanese, "back in Japanese");
    EXPECT_EQ(QSettings().value(QLatin1String(PROFILE_LANGUAGE)).toString(), QStringLiteral("ja"));

    // Dialogs made after a switch speak its language.
    LanguageEntry(QStringLiteral("en"))->trigger();
    ExpectSameTexts(Texts(*frame), english, "in English again");
    const auto dialogs = DialogTexts();
    for (const auto& [name, texts] : dialogs) ExpectNoJapanese(texts, name.toStdString().c_str());
    EXPECT_EQ(dialogs.at("settings").at(QStringLiteral("0#varnelo::CSettingDlg .windowTitle")), QStringLiteral("Hardware settings"));
}

TEST_F(Language, TheMenuChoiceOutlivesTheProgramButTheCommandLineAndEnvironmentComeFirst) {
    Start();
    LanguageEntry(QStringLiteral("en"))->trigger();
    frame.reset();
    InstallLanguage(QStringLiteral("ja"));

    // The next start, as main() makes it.
    InstallLanguage(StartLanguage({}));
    Start();
    EXPECT_EQ(frame->menuBar()->actions().front()->text(), QStringLiteral("&File"));
    EXPECT_TRUE(LanguageEntry(QStringLiteral("en"))->isChecked());
    EXPECT_FALSE(LanguageEntry(QStringLiteral("ja"))->isChecked());

    EXPECT_EQ(StartLanguage(QStringLiteral("ja")), QStringLiteral("ja"));
    qputenv("VARNELO_LANG", "ja_JP.UTF-8");
    EXPECT_EQ(StartLanguage({}), QStringLiteral("ja"));
    qunsetenv("VARNELO_LANG");
}

// The room a widget's text has inside its fixed rectangle, as the style
// lays it out: a button's contents, a box's or a radio's label, a label's inside.
int TextRoom(QWidget& widget) {
    QStyleOptionButton option;
    option.initFrom(&widget);
    if (auto* button = qobject_cast<QPushButton*>(&widget)) {
        if (button->autoDefault() || button->isDefault()) option.features |= QStyleOptionButton::AutoDefaultButton;
        return widget.style()->subElementRect(QStyle::SE_PushButtonContents, &option, &widget).width();
    }
    if (qobject_cast<QRadioButton*>(&widget) != nullptr) {
        return widget.style()->subElementRect(QStyle::SE_RadioButtonContents, &option, &widget).width();
    }
    if (qobject_cast<QCheckBox*>(&widget) != nullptr) {
        return widget.style()->subElementRect(QStyle::SE_CheckBoxContents, &option, &widget).width();
    }
    return widget.contentsRect().width();
}

void ExpectTextsFit(QWidget& window, const QString& language) {
    for (QWidget* widget : window.findChildren<QWidget*>()) {
        QString text;
        if (auto* button = qobject_cast<QAbstractButton*>(widget)) text = button->text().remove(QLatin1Char('&'));
        if (auto* label = qobject_cast<QLabel*>(widget)) text = label->text();
        if (text.isEmpty() || widget->parentWidget() != &window) continue;
        const int width = widget->fontMetrics().horizontalAdvance(text);
        EXPECT_LE(width, TextRoom(*widget)) << language.toStdString() << ": \"" << text.toStdString() << "\" in "
                                            << widget->geometry().width() << " px";
    }
}

TEST_F(Language, EveryTextFitsItsDialogUnitRectangleInBothLanguages) {
    // What the settings dialog's foot line can say, the longest included.
    const char* const footLines[] = {
        "ch.%1 未送信: ロガー未接続",          "ch.%1 未送信: ロガーの装置情報を読み出せていません",
        "ch.%1 に書き込みました",              "ch.%1 書き込み失敗: ポートが失われました",
        "ch.%1 書き込み失敗: 応答がありません", "ch.%1 書き込み失敗: 送信できません",
    };
    LoggerChoice none;  // no logger: the form's own texts only
    none.kind = LoggerChoice::Kind::Port;
    none.port = QString::fromStdString((dir / "no-logger").string());
    for (const QString& code : AvailableLanguages()) {
        InstallLanguage(code);
        frame = std::make_unique<CMainFrame>(none);
        ASSERT_TRUE(test::StartAndConnect(*frame));
        ExpectTextsFit(*frame->view(), code);
        {
            CSettingDlg settings(frame->session().doc().deviceInfo(), frame->session().doc().parameterBlock(), nullptr, false);
            ExpectTextsFit(settings, code);
            auto* footLine = settings.findChild<QLabel*>(QStringLiteral("footLine"));
            for (const char* message : footLines) {
                footLine->setText(QCoreApplication::translate("varnelo::CSettingDlg", message).arg(2));
                ExpectTextsFit(settings, code);
            }
            CAboutDlg about;
            ExpectTextsFit(about, code);
        }
        frame.reset();
    }
}

TEST_F(Language, FilesAreTheSameInBothLanguages) {
    Start(5);
    Download();
    std::map<QString, std::vector<std::uint8_t>> written;
    for (const QString& code : {QStringLiteral("en"), QStringLiteral("ja")}) {
        SwitchLanguage(code);
        for (const char* kind : {"csv", "vrnldata"}) {
            const auto path = dir / (code.toStdString() + "." + kind);
            ModalAnswer<QFileDialog> name([&](QFileDialog& dialog) {
                test::ChooseFile(dialog, QString::fromStdString(path.string()));
            });
            if (std::string_view(kind) == "csv") {
                frame->view()->OnSaveCsv();
            } else {
                frame->OnFileSaveAs();
            }
            ASSERT_TRUE(name.answered()) << kind;
            written[code + QLatin1String(kind)] = test::ReadFileBytes(path);
        }
    }
    EXPECT_FALSE(written[QStringLiteral("encsv")].empty());
    EXPECT_EQ(written[QStringLiteral("encsv")], written[QStringLiteral("jacsv")]);
    EXPECT_EQ(written[QStringLiteral("envrnldata")], written[QStringLiteral("javrnldata")]);
    // The command line speaks English whatever the window's language.
    const auto cli = [](const char* language) {
        test::CliSetting setting;
        setting.environment = {std::string("VARNELO_LANG=") + language};
        return test::RunCli({"info", "--sim", "--records", "3"}, setting);
    };
    EXPECT_EQ(cli("en").out, cli("ja").out);
}

}  // namespace
}  // namespace varnelo
