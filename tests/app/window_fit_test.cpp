// The window on screens of several sizes and scales, each case in a process
// of its own (the platform's screen and scale are fixed when it starts).
#include <gtest/gtest.h>

#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
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

// resized: empty for the size it opened at.
const struct WindowCase { const char* what; int screenWidth, screenHeight; const char* scale; QSize resized; } WINDOW_CASES[] = {
    {"the form's size", 1280, 900, "1", {}},
    {"smaller", 1280, 900, "1", {600, 400}},
    {"larger", 1920, 1200, "1", {1800, 1100}},
    {"200 % on a small screen", 1280, 900, "2", {}},
    {"200 % on a large screen", 3840, 2160, "2", {1800, 1000}},
};

void CheckWindow(const WindowCase& c) {
    CMainFrame frame(test::SimulatedLogger(20, 5));
    ASSERT_TRUE(test::StartAndConnect(frame));
    const FormScrollArea* area = frame.formArea();
    EXPECT_EQ(area->horizontalScrollBar()->value() + area->verticalScrollBar()->value(), 0) << "opens at the top left";
    EXPECT_TRUE(frame.screen()->availableGeometry().contains(frame.frameGeometry())) << "opens on the screen";
    QTest::mouseClick(frame.view()->readButton(), Qt::LeftButton);
    ASSERT_TRUE(test::WaitFor([&] { return !frame.view()->downloading(); }));
    if (!c.resized.isEmpty()) frame.resize(c.resized);
    QApplication::processEvents();

    for (const QWidget* bar : {static_cast<QWidget*>(frame.statusBar()), static_cast<QWidget*>(frame.findChild<QToolBar*>())})
        EXPECT_FALSE(area->geometry().intersects(bar->geometry())) << "nothing covers the form";
    const PixelSize native = LayOutForm({0, 0}).size;
    const QSize viewport = area->viewport()->size();
    EXPECT_EQ(viewport.width() + area->horizontalScrollBar()->maximum(), std::max(viewport.width(), native.width));
    EXPECT_EQ(viewport.height() + area->verticalScrollBar()->maximum(), std::max(viewport.height(), native.height));
    // The charts and the list take the room the form's layout gives them, the charts drawn for it.
    const FormLayout layout = LayOutForm({viewport.width(), viewport.height()});
    for (const auto& [widget, control] : {std::pair<QWidget*, FormControl>{frame.view()->spectrumFrame(), FormControl::Spectrum},
                                       {frame.view()->trackFrame(), FormControl::Track},
                                       {frame.view()->recordList(), FormControl::RecordList}}) {
        const PixelRect r = layout[control];
        EXPECT_EQ(widget->geometry(), QRect(r.x, r.y, r.width, r.height));
        if (const auto* chart = qobject_cast<ChartFrame*>(widget)) {
            EXPECT_EQ(chart->image().size(), (QSizeF(chart->size()) * frame.devicePixelRatioF()).toSize());
        }
    }
}

TEST(WindowFit, OneCase) {
    if (!qEnvironmentVariableIsSet("VARNELO_WINDOW_CASE")) GTEST_SKIP() << "run by EveryScreen";
    test::FreshApplication();
    CheckWindow(WINDOW_CASES[qEnvironmentVariableIntValue("VARNELO_WINDOW_CASE")]);
}

TEST(WindowFit, EveryScreen) {
    if (qEnvironmentVariableIsSet("VARNELO_WINDOW_CASE")) GTEST_SKIP();
    test::TempDir dir;
    for (std::size_t i = 0; i < std::size(WINDOW_CASES); ++i) {
        const WindowCase& c = WINDOW_CASES[i];
        const auto screen = dir / ("screen" + std::to_string(i) + ".json");
        const std::string json = R"({"screens": [{"name": "s", "x": 0, "y": 0, "width": )" + std::to_string(c.screenWidth) +
                                 R"(, "height": )" + std::to_string(c.screenHeight) + "}]}";
        test::WriteFileBytes(screen, {json.begin(), json.end()});
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("VARNELO_WINDOW_CASE"), QString::number(i));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen:configfile=") + test::PathText(screen));
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
    ASSERT_TRUE(test::StartAndConnect(frame));
    const QString path = QStringLiteral("/home/somebody/field-campaigns/2026/july/north-meadow/day-12345.vrnldata");
    const auto* bar = static_cast<MessageStatusBar*>(frame.statusBar());
    for (const char* language : {"ja", "en"}) {
        SwitchLanguage(QString::fromLatin1(language));
        for (const QString& message : {CMainFrame::tr("%1 を保存しました").arg(path),
                                       CVarneloView::tr("%1 件を CSV に書き出しました: %2").arg(15000).arg(path)}) {
            emit frame.view()->statusMessage(message);
            const QString shown = bar->shownMessage();
            EXPECT_LE(bar->fontMetrics().horizontalAdvance(shown), bar->messageRect().width()) << language;
            EXPECT_TRUE(shown.contains(QStringLiteral("day-12345.vrnldata"))) << shown.toStdString();
            EXPECT_EQ(bar->toolTip(), shown == message ? QString() : message) << language;
        }
        const QLabel* counter = frame.view()->counterLabel();
        EXPECT_LE(counter->fontMetrics().horizontalAdvance(counter->text()), counter->width()) << language;
        EXPECT_FALSE(counter->text().contains(QChar(0x2026)) || counter->toolTip().isEmpty()) << "short, and the tip says why";
    }
    // The identity label, cut at the form's size, is whole where the window gives it room.
    const QLabel* identity = frame.view()->identityLabel();
    const QString whole = identity->toolTip().isEmpty() ? identity->text() : identity->toolTip();
    frame.resize(1900, 1000);
    QApplication::processEvents();
    EXPECT_EQ(identity->text(), whole);
    EXPECT_LE(identity->fontMetrics().horizontalAdvance(whole), identity->width());
    SwitchLanguage(QStringLiteral("ja"));
}

}  // namespace
}  // namespace varnelo
