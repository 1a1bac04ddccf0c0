// The status bar as the user reads it: a message keeps its pane, at least
// half the bar, whatever the pointer, a prompt or a download puts beside it.
#include <gtest/gtest.h>

#include <QLabel>
#include <QProgressBar>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QToolButton>

#include "app/index_readout.h"
#include "app/language.h"
#include "app/main_frame.h"
#include "app/varnelo_view.h"
#include "app_test_support.h"

namespace varnelo {
namespace {

QStringList g_warnings;

// The panes right of the message pane, left to right, each whole and apart.
void ExpectPanesApart(QStatusBar* bar, const char* when) {
    QList<QWidget*> panes;
    for (QWidget* w : bar->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (w->isVisible() && w->x() > bar->width() / 4) panes << w;
    }
    std::sort(panes.begin(), panes.end(), [](QWidget* a, QWidget* b) { return a->x() < b->x(); });
    ASSERT_FALSE(panes.isEmpty()) << when;
    EXPECT_GE(panes.front()->x(), bar->width() / 2) << when;
    for (qsizetype i = 1; i < panes.size(); ++i) EXPECT_GE(panes[i]->x() - panes[i - 1]->geometry().right(), 4) << when;
    for (QWidget* w : panes) {
        if (auto* label = qobject_cast<QLabel*>(w)) {
            EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()), label->contentsRect().width()) << when;
        }
    }
}

TEST(StatusBar, MessagesKeepHalfTheBarAndStayUntilReplaced) {
    test::FreshApplication();
    g_warnings.clear();
    const QtMessageHandler previous = qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
        if (type != QtDebugMsg && text.contains(QStringLiteral("StatusBar"))) g_warnings << text;
    });
    CMainFrame frame(test::SimulatedLogger(300, 7));
    ASSERT_TRUE(frame.start({}));
    qInstallMessageHandler(previous);
    EXPECT_TRUE(g_warnings.isEmpty()) << g_warnings.join(QLatin1Char('\n')).toStdString();
    QStatusBar* bar = frame.statusBar();

    QTest::mouseClick(frame.view()->readButton(), Qt::LeftButton);
    ASSERT_TRUE(test::WaitFor([&] { return frame.stopButton()->isVisible(); }));
    EXPECT_TRUE(bar->findChild<QProgressBar*>()->isVisible());
    ExpectPanesApart(bar, "downloading");
    ASSERT_TRUE(test::WaitFor([&] { return !frame.view()->downloading(); }, 60000));

    for (const char* language : {"ja", "en"}) {
        SwitchLanguage(QString::fromLatin1(language));
        const QString error = QStringLiteral("error: the logger did not answer");
        emit frame.view()->statusMessage(error);
        frame.showReadout(QStringLiteral("850 nm   ch.1 65535.0   ch.2 65535.0   refl. 1.234"));
        QStatusTipEvent prompt(QStringLiteral("a menu's prompt"));
        QCoreApplication::sendEvent(&frame, &prompt);
        QStatusTipEvent left{QString()};
        QCoreApplication::sendEvent(&frame, &left);
        QTest::qWait(50);
        EXPECT_EQ(bar->currentMessage(), error) << language;
        EXPECT_FALSE(bar->findChildren<QLabel*>().first()->isVisible()) << language;  // the idle text
        ExpectPanesApart(bar, language);
        frame.showReadout(QString());
    }
    SwitchLanguage(QStringLiteral("ja"));
}

}  // namespace
}  // namespace varnelo
