// The shell and the forms exactly as they are laid down: menu texts, their
// order and keys, the toolbar, the status panes, the frame's flags, every
// control's text and place in dialog units, the file dialogs' filters, the
// closing question and the empty charts shortly after start. A wrong text,
// a missing key, a moved button or a maximise button fails here.
#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QFileDialog>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QToolBar>

#include "app/chart_frame.h"
#include "app/form_style.h"
#include "app/main_frame.h"
#include "app/setting_dialog.h"
#include "app/varnelo_view.h"
#include "app_test_support.h"
#include "charts/spectrum_chart.h"
#include "charts/track_chart.h"
#include "ui/chart_surface.h"
#include "support/test_support.h"

namespace varnelo {
namespace {

using Command = CMainFrame::Command;
using test::ModalAnswer;
using test::WaitFor;

struct MenuItem {
    const char* text;  // "-" for a separator
    std::vector<QKeySequence> keys = {};
};

// What a menu shows, in order: separators as "-", each item with its keys.
std::vector<std::pair<QString, QList<QKeySequence>>> Shown(const QMenu* menu) {
    std::vector<std::pair<QString, QList<QKeySequence>>> items;
    for (const QAction* a : menu->actions()) {
        if (!a->isVisible()) continue;
        items.emplace_back(a->isSeparator() ? QStringLiteral("-") : a->text(), a->shortcuts());
    }
    return items;
}

class ShellResources : public ::testing::Test {
protected:
    void SetUp() override {
        test::FreshApplication();
        frame = std::make_unique<CMainFrame>(test::SimulatedLogger(2, 3));
        ASSERT_TRUE(test::StartAndConnect(*frame));
    }
    void TearDown() override { frame->session().renew(); }
    CVarneloView& view() { return *frame->view(); }

    test::TempDir dir;
    test::CurrentFolder here{QString::fromStdString(dir.path().string())};
    std::unique_ptr<CMainFrame> frame;
};

TEST_F(ShellResources, MenusTheirOrderTextsAndKeys) {
    using K = QKeySequence;
    const std::vector<std::pair<const char*, std::vector<MenuItem>>> menus = {
        {"ファイル(&F)",
         {{"新規作成\tCtrl+N(&N)", {K(Qt::CTRL | Qt::Key_N)}},
          {"開く...\tCtrl+O(&O)", {K(Qt::CTRL | Qt::Key_O)}},
          {"上書き保存\tCtrl+S(&S)", {K(Qt::CTRL | Qt::Key_S)}},
          {"名前を付けて保存(&A)..."},
          {"新しいレコードを読み出し"},
          {"GISへ書き出し..."},
          {"スペクトルライブラリへ書き出し..."},
          {"NetCDFへ書き出し..."},
          {"-"},
          {"最近使ったファイル"},
          {"-"},
          {"アプリケーションの終了(&X)"}}},
        {"編集(&E)",
         {{"元に戻す\tCtrl+Z(&U)", {K(Qt::CTRL | Qt::Key_Z), K(Qt::ALT | Qt::Key_Backspace)}},
          {"-"},
          {"切り取り\tCtrl+X(&T)", {K(Qt::CTRL | Qt::Key_X), K(Qt::SHIFT | Qt::Key_Delete)}},
          {"コピー\tCtrl+C(&C)", {K(Qt::CTRL | Qt::Key_C), K(Qt::CTRL | Qt::Key_Insert)}},
          {"貼り付け\tCtrl+V(&P)", {K(Qt::CTRL | Qt::Key_V), K(Qt::SHIFT | Qt::Key_Insert)}},
          {"ハードウェアの編集"}}},
        {"表示(&V)", {{"ツール バー(&T)"}, {"ステータス バー(&S)"}, {"軌跡の色"}, {"結果の設定..."}, {"言語 / Language"}}},
        {"ヘルプ(&H)", {{"バージョン情報 Varnelo(&A)..."}}},
    };
    const QList<QAction*> bar = frame->menuBar()->actions();
    ASSERT_EQ(bar.size(), static_cast<qsizetype>(menus.size()));
    for (std::size_t m = 0; m < menus.size(); ++m) {
        const QMenu* menu = bar[static_cast<qsizetype>(m)]->menu();
        ASSERT_NE(menu, nullptr);
        EXPECT_EQ(menu->title(), QString::fromUtf8(menus[m].first));
        const auto shown = Shown(menu);
        const auto& expected = menus[m].second;
        ASSERT_EQ(shown.size(), expected.size()) << menus[m].first;
        for (std::size_t i = 0; i < expected.size(); ++i) {
            EXPECT_EQ(shown[i].first, QString::fromUtf8(expected[i].text)) << menus[m].first << " item " << i;
            EXPECT_EQ(shown[i].second, QList<QKeySequence>(expected[i].keys.begin(), expected[i].keys.end()))
                << expected[i].text;
        }
    }
    // Next and previous pane: keys of the frame with nowhere to go.
    QList<QKeySequence> paneKeys;
    for (const QAction* a : frame->actions()) paneKeys += a->shortcuts();
    EXPECT_TRUE(paneKeys.contains(K(Qt::Key_F6)));
    EXPECT_TRUE(paneKeys.contains(K(Qt::SHIFT | Qt::Key_F6)));
    // Commands without a handler stay off whatever happens.
    for (Command never : {Command::Undo, Command::Cut, Command::Copy, Command::Paste, Command::Print}) {
        EXPECT_FALSE(frame->action(never)->isEnabled());
    }
}

TEST_F(ShellResources, ToolbarStatusPanesAndFrame) {
    const auto* toolbar = frame->findChild<QToolBar*>();
    ASSERT_NE(toolbar, nullptr);
    std::vector<QAction*> expected = {frame->action(Command::New),   frame->action(Command::Open),
                                      frame->action(Command::Save),  nullptr,
                                      frame->action(Command::Cut),   frame->action(Command::Copy),
                                      frame->action(Command::Paste), nullptr,
                                      frame->action(Command::Print), frame->action(Command::About)};
    const QList<QAction*> buttons = toolbar->actions();
    ASSERT_EQ(buttons.size(), static_cast<qsizetype>(expected.size()));
    for (std::size_t i = 0; i < expected.size(); ++i) {
        if (expected[i] == nullptr) {
            EXPECT_TRUE(buttons[static_cast<qsizetype>(i)]->isSeparator()) << i;
        } else {
            EXPECT_EQ(buttons[static_cast<qsizetype>(i)], expected[i]) << i;
        }
    }
    EXPECT_EQ(frame->action(Command::Save)->toolTip(), QStringLiteral("保存"));
    EXPECT_EQ(frame->action(Command::Save)->statusTip(), QStringLiteral("作業中のファイルを上書きして保存"));
    EXPECT_EQ(frame->action(Command::Exit)->statusTip(),
              QStringLiteral("アプリケーションを終了し、ファイルの保存を指示\\終了"));

    // The message pane first, then CAP, NUM, SCRL, left to right, none covering it.
    QStringList panes;
    int messageRight = 0;
    for (QLabel* label : frame->statusBar()->findChildren<QLabel*>(Qt::FindDirectChildrenOnly)) {
        if (!label->isVisible() || label->text().isEmpty()) continue;  // the index readout, with nothing drawn
        panes << label->text();
        if (label->text() == QStringLiteral("レディ")) messageRight = label->geometry().right();
    }
    EXPECT_EQ(panes, (QStringList{QStringLiteral("レディ"), QStringLiteral("CAP"), QStringLiteral("NUM"),
                                  QStringLiteral("SCRL")}));
    for (QLabel* label : frame->statusBar()->findChildren<QLabel*>(Qt::FindDirectChildrenOnly)) {
        if (label->isVisible() && label->text() != QStringLiteral("レディ")) {
            EXPECT_GT(label->x(), messageRight);
        }
    }

    const Qt::WindowFlags flags = frame->windowFlags();
    EXPECT_TRUE(flags & Qt::WindowMaximizeButtonHint) << "the form grows with the window";
    EXPECT_TRUE(flags & Qt::WindowMinimizeButtonHint);
    EXPECT_TRUE(flags & Qt::WindowSystemMenuHint);
    EXPECT_NE(frame->minimumSize(), frame->maximumSize()) << "a sizing border: the form scrolls or grows";
    EXPECT_EQ(frame->windowTitle(), QStringLiteral("Varnelo - 無題[*]"));
}

struct Control {
    const char* text;
    int x, y, width, height;
};

// Each widget of the form whose text is one of these sits at its place.
void ExpectControls(const QWidget& form, const std::vector<Control>& controls) {
    for (const Control& c : controls) {
        const QString text = QString::fromUtf8(c.text);
        QRect found;
        for (const QWidget* w : form.findChildren<QWidget*>()) {
            QString shown;
            if (const auto* b = qobject_cast<const QAbstractButton*>(w)) shown = b->text();
            if (const auto* l = qobject_cast<const QLabel*>(w)) shown = l->text();
            if (shown == text) found = w->geometry();
        }
        EXPECT_EQ(found, DialogRect(c.x, c.y, c.width, c.height)) << c.text;
    }
}

TEST_F(ShellResources, TheFormsControlsTheirTextsAndPlaces) {
    EXPECT_EQ(view().size(), DialogRect(0, 0, 486, 327).size());
    ExpectControls(view(), {{"バルネロツール", 14, 10, 89, 8},
                            {"読み出し", 346, 22, 45, 17},
                            {"CSV保存", 398, 22, 81, 17},
                            {"    0/    2", 347, 44, 45, 8},
                            {"2ch", 405, 43, 28, 10},
                            {"反射", 438, 43, 32, 10},
                            {"400-800nmに限定", 269, 9, 76, 10}});
    EXPECT_EQ(view().identityLabel()->geometry(), DialogRect(139, 10, 111, 8));
    EXPECT_EQ(view().recordList()->geometry(), DialogRect(346, 58, 133, 150));
    EXPECT_EQ(view().spectrumFrame()->geometry(), DialogRect(7, 23, 335, 297));
    EXPECT_EQ(view().trackFrame()->geometry(), DialogRect(346, 214, 133, 106));

    ASSERT_NE(view().loggerState(), nullptr);
    CSettingDlg dialog(view().loggerState()->deviceInfo, view().loggerState()->parameters, nullptr);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("setting"));
    EXPECT_EQ(dialog.size(), DialogRect(0, 0, 363, 248).size());
    ExpectControls(dialog, {{"終了", 330, 227, 26, 14},
                            {"参照", 75, 7, 27, 15},
                            {"ch.1", 7, 227, 34, 14},
                            {"ch.2", 69, 227, 34, 14},
                            {"ハードウェア", 122, 7, 64, 10},
                            {"パラメータ", 197, 7, 56, 10},
                            {"データ", 255, 7, 40, 10},
                            {"チャネル差", 297, 7, 56, 10}});
    EXPECT_EQ(dialog.findChild<QListWidget*>(QStringLiteral("sensorList"))->geometry(), DialogRect(7, 24, 98, 200));
    EXPECT_EQ(dialog.findChild<QListWidget*>(QStringLiteral("pageList"))->geometry(), DialogRect(112, 24, 244, 200));
}

TEST_F(ShellResources, FileDialogsFiltersAndTheSaveFailure) {
    const QStringList dataFilters = {QStringLiteral("Varnelo Files (*.vrnldata)"), QStringLiteral("すべてのファイル (*.*)")};
    QStringList shown;
    {
        ModalAnswer<QFileDialog> cancel([&](QFileDialog& dialog) {
            shown = dialog.nameFilters();
            static_cast<QDialog&>(dialog).reject();
        });
        frame->action(Command::Open)->trigger();
        EXPECT_EQ(shown, dataFilters);
        frame->action(Command::SaveAs)->trigger();
        EXPECT_EQ(shown, dataFilters);
        QTest::mouseClick(view().csvButton(), Qt::LeftButton);
        EXPECT_EQ(shown, QStringList{QStringLiteral("csv file(*.csv)")});
        EXPECT_EQ(cancel.answers(), 3);
    }

    QString failure;
    ModalAnswer<QFileDialog> name([&](QFileDialog& dialog) {
        test::ChooseFile(dialog, QString::fromStdString((dir / "no-such-folder" / "x.vrnldata").string()));
    });
    ModalAnswer<QMessageBox> ok([&](QMessageBox& box) {
        failure = box.text();
        box.accept();
    });
    EXPECT_FALSE(frame->OnFileSaveAs());
    EXPECT_EQ(failure, QStringLiteral("ドキュメントの保存に失敗しました。"));
}

// Closing with records no file has asks, and Cancel keeps the window open.
TEST_F(ShellResources, ClosingAsksAboutAnUnsavedDownload) {
    {
        ModalAnswer<QMessageBox> unexpected([](QMessageBox& box) { box.reject(); });
        frame->close();
        EXPECT_FALSE(unexpected.answered()) << "nothing to save yet";
    }
    frame = std::make_unique<CMainFrame>(test::SimulatedLogger(2, 3));
    ASSERT_TRUE(test::StartAndConnect(*frame));
    QTest::mouseClick(view().readButton(), Qt::LeftButton);
    ASSERT_TRUE(WaitFor([&] { return !view().downloading() && frame->session().changed(); }));
    QString asked;
    ModalAnswer<QMessageBox> cancel([&](QMessageBox& box) {
        asked = box.text();
        box.button(QMessageBox::Cancel)->click();
    });
    EXPECT_FALSE(frame->close());
    EXPECT_EQ(asked, QStringLiteral("無題 への変更を保存しますか?"));
    EXPECT_TRUE(frame->isVisible());
}

// Timer 1: a document without records gets the empty charts 100 ms after
// the form is shown, and not before.
TEST_F(ShellResources, EmptyChartsAreDrawnShortlyAfterStart) {
    frame = std::make_unique<CMainFrame>(test::SimulatedLogger(0, 3));
    ASSERT_TRUE(test::StartAndConnect(*frame));
    const auto empty = [](const PixelSize size, void (*draw)(Canvas&)) {
        ChartSurface surface(QSize(size.width, size.height));
        surface.draw(draw);
        return surface.image();
    };
    const QImage spectrum = empty(SpectrumFrameSize(), [](Canvas& c) { DrawSpectrumAxes(c); });
    const QImage track = empty(TrackFrameSize(), [](Canvas& c) { DrawTrackFrame(c); });
    EXPECT_NE(view().spectrumFrame()->image(), spectrum) << "drawn at once";
    ASSERT_TRUE(WaitFor([&] { return view().spectrumFrame()->image() == spectrum; }, 2000));
    EXPECT_EQ(view().trackFrame()->image(), track);
    EXPECT_EQ(view().recordList()->count(), 0);
}

}  // namespace
}  // namespace varnelo
