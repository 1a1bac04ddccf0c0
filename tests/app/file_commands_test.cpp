// What the desktop program writes and remembers: the CSV export from the
// form, chart images, dropped files, the recent-file list and the about box.
#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QUrl>

#include "app/about_dialog.h"
#include "app/chart_frame.h"
#include "app/index_readout.h"
#include "app/main_frame.h"
#include "app/recent_files.h"
#include "app/varnelo_view.h"
#include "app_test_support.h"
#include "simulator/simulated_content.h"
#include "support/test_support.h"

namespace varnelo {
namespace {

using test::ModalAnswer;
using test::WaitFor;

std::string FileText(const std::filesystem::path& path) {
    const auto bytes = test::ReadFileBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

class FileCommands : public ::testing::Test {
protected:
    void SetUp() override {
        test::FreshApplication();
        frame = std::make_unique<CMainFrame>(test::SimulatedLogger(6, 9));
        ASSERT_TRUE(test::StartAndConnect(*frame));
        QTest::mouseClick(view().readButton(), Qt::LeftButton);
        ASSERT_TRUE(WaitFor([&] { return !view().downloading() && view().recordList()->count() == 6; }));
    }
    void TearDown() override {
        frame->session().renew();  // close without the question
    }
    CVarneloView& view() { return *frame->view(); }

    test::TempDir dir;
    test::CurrentFolder here{QString::fromStdString(dir.path().string())};
    std::unique_ptr<CMainFrame> frame;
};

TEST_F(FileCommands, CsvButtonExportsWithTheFormsModeAndRange) {
    QTest::mouseClick(view().reflectanceRadio(), Qt::LeftButton);
    QTest::mouseClick(view().limitBox(), Qt::LeftButton);
    QString initialName;
    ModalAnswer<QFileDialog> name([&](QFileDialog& dialog) {
        initialName = dialog.selectedFiles().value(0);
        EXPECT_EQ(dialog.nameFilters(), QStringList{QStringLiteral("csv file(*.csv)")});
        test::ChooseFile(dialog, test::PathText(dir / "day"));
    });
    QTest::mouseClick(view().csvButton(), Qt::LeftButton);
    ASSERT_TRUE(name.answered());
    // A download is untitled: no name to offer.
    EXPECT_TRUE(QFileInfo(initialName).fileName().isEmpty() || QFileInfo(initialName).isDir())
        << initialName.toStdString();

    const ExportResult expected = frame->session().exportCsv(dir / "expected.csv", {ExportMode::Reflectance, true});
    ASSERT_TRUE(expected.status);
    EXPECT_EQ(FileText(dir / "day.csv"), FileText(dir / "expected.csv"));
    EXPECT_TRUE(frame->statusBar()->currentMessage().contains(QStringLiteral("day.csv")));
}

TEST_F(FileCommands, AFailedExportSaysWhichFileInAMessageBox) {
    // A disk that fills up after a few kilobytes, as a file size limit has it.
    test::WriteFileBytes(dir / "day.csv", {'o', 'l', 'd'});
    QString shown;
    ModalAnswer<QFileDialog> name([&](QFileDialog& dialog) {
        test::ChooseFile(dialog, test::PathText(dir / "day.csv"));
    });
    ModalAnswer<QMessageBox> answers([&](QMessageBox& box) {
        if (box.text().contains(QStringLiteral("day.csv")) && box.buttons().size() > 1) {
            box.button(QMessageBox::Yes)->click();  // the dialog's own "replace it?"
            return;
        }
        shown = box.text() + QLatin1Char('|') + box.informativeText();
        box.accept();
    });
    {
        const test::FileSizeLimit limit(4096);
        view().OnSaveCsv();
    }
    ASSERT_TRUE(name.answered());
    EXPECT_TRUE(shown.startsWith(QStringLiteral("CSV ファイルを書き出せませんでした。|"))) << shown.toStdString();
    EXPECT_EQ(shown.count(QStringLiteral("day.csv")), 1) << "named once: " << shown.toStdString();
    EXPECT_EQ(FileText(dir / "day.csv"), "old");
}

TEST_F(FileCommands, ChartImagesAreExactlyThePixelsShown) {
    ChartFrame& spectrum = *view().spectrumFrame();
    ASSERT_TRUE(spectrum.saveImage(test::PathText(dir / "spectrum.png")));
    QImage saved(test::PathText(dir / "spectrum.png"));
    EXPECT_EQ(saved.convertToFormat(spectrum.image().format()), spectrum.image());
    view().trackFrame()->copyImage();
    EXPECT_EQ(QApplication::clipboard()->image().convertToFormat(spectrum.image().format()),
              view().trackFrame()->image());
}

TEST_F(FileCommands, ThePointerOverTheSpectrumReadsOutTheDrawnRecord) {
    // Column 60 + j of the chart is element j: 340 + 100 nm.
    QTest::mouseMove(view().spectrumFrame(), QPoint(60 + 100, 200));
    const DerivedSpectra spectra = DeriveSpectra(frame->session().doc().record(0));
    const auto* readout = frame->statusBar()->findChild<IndexReadout*>();
    ASSERT_NE(readout, nullptr);
    const QString text = readout->text();
    EXPECT_TRUE(text.startsWith(QStringLiteral("440 nm"))) << text.toStdString();
    EXPECT_EQ(frame->statusBar()->currentMessage(), QStringLiteral("6 件のレコードを読み出しました"))
        << "the readout pane, never over a message";
    EXPECT_TRUE(text.contains(QString::number(static_cast<double>(spectra.ch2[100]), 'f', 1))) << text.toStdString();
    EXPECT_EQ(view().spectrumFrame()->image(), view().spectrumFrame()->grab().toImage().convertToFormat(
                                                   view().spectrumFrame()->image().format()))
        << "the readout draws nothing";
}

TEST_F(FileCommands, ADroppedFileOpensAsFileOpenDoes) {
    frame->session().renew();
    ASSERT_TRUE(frame->session().save(dir / "dropped.vrnldata"));
    frame->session().renew();
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(test::PathText(dir / "dropped.vrnldata"))});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(frame.get(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(frame.get(), &drop);
    EXPECT_EQ(frame->windowTitle(), QStringLiteral("Varnelo - dropped.vrnldata[*]"));
    EXPECT_EQ(view().recordList()->count(), 6);
}

TEST_F(FileCommands, TheRecentFileListKeepsFourFilesNewestFirst) {
    frame->session().renew();
    for (int i = 0; i < 5; ++i) {
        std::filesystem::path path = dir / "f";
        path += std::to_string(i) + ".vrnldata";
        ASSERT_TRUE(frame->session().save(path));
        ASSERT_TRUE(frame->openDocument(test::PathText(path)));
    }
    ASSERT_TRUE(frame->openDocument(test::PathText(dir / "f2.vrnldata")));
    const QStringList expected = {test::PathText(dir / "f2.vrnldata"), test::PathText(dir / "f4.vrnldata"), test::PathText(dir / "f3.vrnldata"),
                                  test::PathText(dir / "f1.vrnldata")};
    EXPECT_EQ(frame->recentFiles(), expected);
    EXPECT_EQ(LoadRecentFiles(), expected);
    EXPECT_EQ(QSettings().value(QStringLiteral("Recent File List/File1")).toString(), expected[0]);
    int entries = 0;
    for (QAction* a : frame->recentFileMenu()->actions()) entries += a->text().startsWith(QLatin1Char('&')) ? 1 : 0;
    EXPECT_EQ(entries, 4);
}

TEST(AboutBox, ShowsNameVersionAndOk) {
    test::FreshApplication();
    CAboutDlg about;
    EXPECT_EQ(about.windowTitle(), QStringLiteral("バージョン情報 Varnelo"));
    QStringList texts;
    for (const QLabel* label : about.findChildren<QLabel*>()) texts << label->text();
    EXPECT_TRUE(texts.contains(QStringLiteral("Varnelo, Version 1.0")));
    const auto buttons = about.findChildren<QPushButton*>();
    ASSERT_EQ(buttons.size(), 1);
    EXPECT_EQ(buttons.front()->text(), QStringLiteral("OK"));
    EXPECT_TRUE(buttons.front()->isDefault());
}

}  // namespace
}  // namespace varnelo
