// The window on screens of several sizes and scales, each case in a process
// of its own (the platform's screen and scale are fixed when it starts).
#include <gtest/gtest.h>

#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>
#include <QToolBar>

#include "app/chart_frame.h"
#include "app/form_scroll_area.h"
#include "app/language.h"
#include "app/main_frame.h"
#include "app/message_status_bar.h"
#include "app/varnelo_view.h"
#include "app_test_support.h"
#include "charts/form_layout.h"
#include "support/test_support.h"

namespace varnelo {
namespace {

const struct WindowCase {
    const char* what;
    int screenWidth, screenHeight;
    const char* scale;
    QSize resized;  // empty: as it opened
} WINDOW_CASES[] = {
    {"the form's size", 1280, 900, "1", {}},
    {"smaller", 1280, 900, "1", {600, 400}},
    {"larger", 1920, 1200, "1", {1800, 1100}},
    {"200 % on a small screen", 1280, 900, "2", {}},
    {"200 % on a large screen", 3840, 2160, "2", {1800, 1000}},
};

void CheckWindow(const WindowCase& c) {
    test::FreshApplication();
    CMainFrame frame(test::SimulatedLogger(20, 5));
    ASSERT_TRUE(frame.start({}));
    const QScrollArea* area = frame.formArea();
    EXPECT_EQ(area->horizontalScrollBar()->value(), 0) << "opens at the top left";
    EXPECT_EQ(area->verticalScrollBar()->value(), 0) << "opens at the top left";
    QTest::mouseClick(frame.view()->readButton(), Qt::LeftButton);
    ASSERT_TRUE(test::WaitFor([&] { return !frame.view()->downloading(); }));
    const QRect available = frame.screen()->availableGeometry();
    EXPECT_TRUE(available.contains(frame.frameGeometry())) << "opens on the screen";
    if (!c.resized.isEmpty()) frame.resize(c.resized);
    QApplication::processEvents();

    const QRect form = area->geometry();
    for (const QWidget* bar : {static_cast<QWidget*>(frame.statusBar()), static_cast<QWidget*>(frame.findChild<QToolBar*>())})
        EXPECT_FALSE(form.intersects(bar->geometry())) << "nothing covers the form";
    const QSize native(LayOutForm({0, 0}).size.width, LayOutForm({0, 0}).size.height);
    const QSize viewport = area->viewport()->size();
    EXPECT_EQ(viewport.width() + area->horizontalScrollBar()->maximum(), std::max(viewport.width(), native.width()));
    EXPECT_EQ(viewport.height() + area->verticalScrollBar()->maximum(), std::max(viewport.height(), native.height()));

    // The charts take the room the form's layout gives them, drawn for it.
    const FormLayout layout = LayOutForm({viewport.width(), viewport.height()});
    const qreal ratio = frame.devicePixelRatioF();
    for (const auto& [chart, part] : {std::pair{frame.view()->spectrumFrame(), FormPart::Spectrum},
                                      std::pair{frame.view()->trackFrame(), FormPart::Track}}) {
        const PixelRect r = layout[part];
        EXPECT_EQ(chart->geometry(), QRect(r.x, r.y, r.width, r.height));
        EXPECT_EQ(chart->image().size(), (QSizeF(chart->size()) * ratio).toSize());
    }
    const PixelRect list = layout[FormPart::RecordList];
    EXPECT_EQ(frame.view()->recordList()->geometry(), QRect(list.x, list.y, list.width, list.height));
}

TEST(WindowFit, OneCase) {
    const int index = qEnvironmentVariableIntValue("VARNELO_WINDOW_CASE");
    if (!qEnvironmentVariableIsSet("VARNELO_WINDOW_CASE")) GTEST_SKIP() << "run by EveryScreen";
    CheckWindow(WINDOW_CASES[index]);
}

TEST(WindowFit, EveryScreen) {
    if (qEnvironmentVariableIsSet("VARNELO_WINDOW_CASE")) GTEST_SKIP();
    test::TempDir dir;
    for (std::size_t i = 0; i < std::size(WINDOW_CASES); ++i) {
        const WindowCase& c = WINDOW_CASES[i];
        const QString screen = QString::fromStdString((dir / ("screen" + std::to_string(i) + ".json")).string());
        QFile file(screen);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QStringLiteral(R"({"screens": [{"name": "s", "x": 0, "y": 0, "width": %1, "height": %2,)"
                                  R"( "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})")
                       .arg(c.screenWidth)
                       .arg(c.screenHeight)
                       .toUtf8());
        file.close();
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("VARNELO_WINDOW_CASE"), QString::number(i));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen:configfile=") + screen);
        env.insert(QStringLiteral("QT_SCALE_FACTOR"), QString::fromLatin1(c.scale));
        child.setProcessEnvironment(env);
        child.setProcessChannelMode(QProcess::MergedChannels);
        child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--gtest_filter=WindowFit.OneCase")});
        ASSERT_TRUE(child.waitForFinished(120000)) << c.what;
        EXPECT_EQ(child.exitCode(), 0) << c.what << "\n" << child.readAll().toStdString();
    }
}

// Texts at their longest, in both languages: each fits its widget, or its
// widget's tip holds it whole.
TEST(WholeTexts, LongTextsFitOrAreWholeInTheirTips) {
    test::FreshApplication();
    FaultPlan countUnanswered;
    countUnanswered.silentAtExchange = 5;
    CMainFrame frame(test::SimulatedLogger(5, 1, countUnanswered));
    ASSERT_TRUE(frame.start({}));
    const QString path = QStringLiteral("/home/somebody/field-campaigns/2026/july/north-meadow/day-12345.vrnldata");
    for (const char* language : {"ja", "en"}) {
        SwitchLanguage(QString::fromLatin1(language));
        const auto* bar = static_cast<MessageStatusBar*>(frame.statusBar());
        for (const QString& message :
             {CMainFrame::tr("%1 を保存しました").arg(path), CVarneloView::tr("%1 件を CSV に書き出しました: %2").arg(15000).arg(path),
              CMainFrame::tr("%1: %2").arg(path, QStringLiteral("ファイルを開くことに失敗しました (別のプログラムが書き込み中です)"))}) {
            emit frame.view()->statusMessage(message);
            const QString shown = bar->shownMessage();
            EXPECT_LE(bar->fontMetrics().horizontalAdvance(shown), bar->messageRect().width()) << language;
            EXPECT_TRUE(shown.contains(QStringLiteral("day-12345.vrnldata"))) << shown.toStdString();
            EXPECT_EQ(bar->toolTip(), shown == message ? QString() : message) << language;
        }
        const QLabel* counter = frame.view()->counterLabel();
        EXPECT_LE(counter->fontMetrics().horizontalAdvance(counter->text()), counter->width()) << language;
        EXPECT_FALSE(counter->text().contains(QChar(0x2026))) << language;
        EXPECT_FALSE(counter->toolTip().isEmpty()) << "the tip says why";
    }
    SwitchLanguage(QStringLiteral("ja"));
}

}  // namespace
}  // namespace varnelo
