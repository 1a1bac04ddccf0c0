// The spectral indices in the window: the status bar readout, the track
// coloured by an index from the View menu, the result settings, and the
// GIS and NetCDF exports from the File menu. Real widgets offscreen, pixels read back from the frame itself.
#include <gtest/gtest.h>

#include <QAction>
#include <QFileDialog>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTest>
#include <QStatusBar>

#include "analysis/spectral_index.h"
#include "app/chart_frame.h"
#include "app/index_readout.h"
#include "app/main_frame.h"
#include "app/result_settings_dialog.h"
#include "app/varnelo_view.h"
#include "app_test_support.h"
#include "charts/colour_map.h"
#include "charts/dialog_units.h"
#include "charts/track_chart.h"
#include "export/index_export.h"
#include "export/profile_style.h"
#include "simulator/simulated_content.h"
#include "support/test_support.h"
#include "ui/chart_surface.h"

#include <netcdf.h>

namespace varnelo {
namespace {

using test::ModalAnswer;
using test::WaitFor;

QAction* MenuAction(const QMenuBar* bar, const QString& text) {
    std::function<QAction*(const QList<QAction*>&)> find = [&](const QList<QAction*>& actions) -> QAction* {
        for (QAction* a : actions) {
            if (a->text() == text) return a;
            if (a->menu() != nullptr)
                if (QAction* inner = find(a->menu()->actions())) return inner;
        }
        return nullptr;
    };
    return find(bar->actions());
}

QImage Chart(const std::function<void(Canvas&)>& drawing) {
    const PixelSize size = TrackFrameSize();
    ChartSurface surface(QSize(size.width, size.height));
    surface.draw(drawing);
    return surface.image();
}

class IndicesInTheWindow : public ::testing::Test {
protected:
    void SetUp() override {
        test::FreshApplication();
        Session session;
        const SimulatedContent content(60, 5);
        session.doc().parameterBlock() = content.parameters();
        for (int i = 0; i < 60; ++i) session.doc().record(i) = content.record(i);
        session.doc().setRecordCount(60);
        ASSERT_TRUE(session.save(file));
    }
    void Start() {
        LoggerChoice nowhere;
        nowhere.kind = LoggerChoice::Kind::Port;
        nowhere.port = QString::fromStdString((dir / "no-such-port").string());
        frame = std::make_unique<CMainFrame>(nowhere);
        ASSERT_TRUE(test::StartAndConnect(*frame, QString::fromStdString(file.string())));
        ASSERT_TRUE(WaitFor([&] { return frame->view()->recordList()->currentRow() == 0; }, 5000));
    }
    QImage Shown() const { return frame->view()->trackFrame()->grab().toImage().convertToFormat(QImage::Format_RGB32); }
    const Session& session() const { return frame->session(); }
    TrackChartData Data() const { return TrackChartDataOf(session().track(), session().trackCount()); }

    test::TempDir dir;
    test::CurrentFolder here{QString::fromStdString(dir.path().string())};
    std::filesystem::path file = dir / "day.vrnldata";
    std::unique_ptr<CMainFrame> frame;
};

TEST_F(IndicesInTheWindow, TheTrackIsColouredByTheChosenIndexAndNoneIsThePlainChart) {
    Start();
    const QImage plain = Chart([&](Canvas& c) { DrawTrackChart(c, Data(), 0); });
    EXPECT_EQ(Shown(), plain) << "no colour chosen: the chart as it always was";

    QAction* ndvi = MenuAction(frame->menuBar(), QStringLiteral("NDVI"));
    QAction* none = MenuAction(frame->menuBar(), QStringLiteral("なし"));
    ASSERT_TRUE(ndvi && none && MenuAction(frame->menuBar(), QStringLiteral("MTCI")));
    EXPECT_TRUE(none->isChecked());
    ndvi->trigger();
    const std::vector<IndexValue> values = IndexOfRecords(session().doc(), 60, NDVI);
    const QImage coloured = Shown();
    EXPECT_EQ(coloured, Chart([&](Canvas& c) { DrawTrackChart(c, Data(), 0, MakeTrackColouring(NDVI, values)); }));
    EXPECT_NE(coloured, plain);

    // The last record's point, drawn over all others, has the map's colour of its NDVI.
    const auto [low, high] = std::minmax_element(values.begin(), values.end());
    ASSERT_TRUE(values.back() && *low && *high && **high > **low);
    const Rgb expected = ViridisColour((*values.back() - **low) / (**high - **low));
    const PixelSize size = TrackFrameSize();
    const Point p = MapTrackPoint(ComputeTrackGeometry({0, 0, size.width, size.height}, Data()), session().track().x[59],
                                  session().track().y[59]);
    EXPECT_EQ(coloured.pixel(p.x, p.y), qRgb(expected.red, expected.green, expected.blue));

    // Another record moves the cross over the same colours; the choice outlives the window.
    frame->view()->recordList()->setCurrentRow(7);
    EXPECT_EQ(Shown(), Chart([&](Canvas& c) { DrawTrackChart(c, Data(), 7, MakeTrackColouring(NDVI, values)); }));
    frame.reset();
    Start();
    EXPECT_TRUE(MenuAction(frame->menuBar(), QStringLiteral("NDVI"))->isChecked());
    EXPECT_EQ(Shown(), coloured);
    MenuAction(frame->menuBar(), QStringLiteral("なし"))->trigger();
    EXPECT_EQ(Shown(), plain);
}

TEST_F(IndicesInTheWindow, TheStatusBarReadsTheDrawnRecordsIndices) {
    Start();
    const auto* readout = frame->statusBar()->findChild<IndexReadout*>();
    ASSERT_NE(readout, nullptr);
    for (const int k : {0, 11, 59}) {
        frame->view()->recordList()->setCurrentRow(k);
        std::vector<IndexValue> values(4);
        ComputeIndices(session().doc().record(k), DefaultIndices(), values);
        const QString expected = QString::fromStdString(IndexReadoutText(DefaultIndices(), values));
        EXPECT_TRUE(readout->text().startsWith(expected)) << k << readout->text().toStdString();
        EXPECT_TRUE(expected.startsWith(QStringLiteral("NDVI 0."))) << expected.toStdString();
        // The quality flags follow, "nofix" for a record the track has no position for.
        const bool fix = (session().track().given[static_cast<std::size_t>(k)] & GPS_FIX) != 0;
        EXPECT_EQ(readout->text().contains(QStringLiteral("qc nofix")), !fix) << k << readout->text().toStdString();
    }
}

TEST_F(IndicesInTheWindow, GisExportWritesThePointLayerOfTheDocument) {
    Start();
    QAction* command = MenuAction(frame->menuBar(), QStringLiteral("GISへ書き出し..."));
    ASSERT_NE(command, nullptr);
    ASSERT_TRUE(command->isEnabled());
    {
        // A pattern is no name, here as in the CSV dialog.
        ModalAnswer<QFileDialog> pattern([&](QFileDialog& dialog) {
            test::ChooseFile(dialog, test::PathText(dir / "*.geojson"));
        });
        QString refused;
        ModalAnswer<QMessageBox> ok([&](QMessageBox& box) {
            refused = box.text();
            box.accept();
        });
        command->trigger();
        EXPECT_TRUE(refused.contains(QLatin1Char('*'))) << refused.toStdString();
        EXPECT_FALSE(std::filesystem::exists(dir / "*.geojson"));
    }
    QString offered;
    ModalAnswer<QFileDialog> name([&](QFileDialog& dialog) {
        offered = dialog.selectedFiles().value(0);
        test::ChooseFile(dialog, QString::fromStdString((dir / "layer").string()));
    });
    command->trigger();
    ASSERT_TRUE(name.answered());
    EXPECT_TRUE(offered.endsWith(QStringLiteral("day.geojson"))) << offered.toStdString();
    ASSERT_EQ(ExportPointLayer(dir / "expected.geojson", session().doc(), {DefaultIndices(), true, {}, {}}).status.kind,
              Status::Kind::Ok);
    EXPECT_EQ(test::ReadFileBytes(dir / "layer.geojson"), test::ReadFileBytes(dir / "expected.geojson"));
    ASSERT_TRUE(ExportProfileStyle(dir / "expected.qml").status);
    EXPECT_EQ(test::ReadFileBytes(dir / "layer.qml"), test::ReadFileBytes(dir / "expected.qml"));
    EXPECT_TRUE(frame->statusBar()->currentMessage().contains(QRegularExpression(QStringLiteral("^[1-5]?[0-9] 点を GIS")))) <<
        frame->statusBar()->currentMessage().toStdString();
}

// The spectral library: all three files, one 511-value row per record.
TEST_F(IndicesInTheWindow, LibraryExportWritesEveryRecordsSpectrum) {
    Start();
    QAction* command = MenuAction(frame->menuBar(), QStringLiteral("スペクトルライブラリへ書き出し..."));
    ASSERT_NE(command, nullptr);
    ASSERT_TRUE(command->isEnabled());
    ModalAnswer<QFileDialog> name([&](QFileDialog& dialog) {
        test::ChooseFile(dialog, test::PathText(dir / "plot"));
    });
    command->trigger();
    ASSERT_TRUE(name.answered());
    const int count = session().doc().recordCount();
    ASSERT_TRUE(std::filesystem::exists(dir / "plot.sli"));
    EXPECT_EQ(std::filesystem::file_size(dir / "plot.sli"), static_cast<std::uintmax_t>(count) * SPECTRUM_LENGTH * 4);
    const auto header = test::ReadFileBytes(dir / "plot.hdr");
    EXPECT_NE(std::string(header.begin(), header.end()).find("lines = " + std::to_string(count) + "\n"), std::string::npos);
    EXPECT_EQ(test::LineCount([&] {
                  const auto csv = test::ReadFileBytes(dir / "plot.csv");
                  return std::string(csv.begin(), csv.end());
              }()),
              static_cast<std::size_t>(count) + 1);
    EXPECT_TRUE(frame->statusBar()->currentMessage().startsWith(QString::number(count))) <<
        frame->statusBar()->currentMessage().toStdString();
}

// The result settings, typed as a user would, reach the readout and every
// export: a panel picked in the list is flagged, the sun is placed in UTC.
TEST_F(IndicesInTheWindow, ResultSettingsReachTheReadoutAndTheNetcdfFile) {
    Start();
    frame->view()->recordList()->setCurrentRow(3);
    const auto dialog = [&] {
        MenuAction(frame->menuBar(), QStringLiteral("結果の設定..."))->trigger();
        auto* shown = frame->findChild<ResultSettingsDialog*>();
        EXPECT_TRUE(shown && shown->isVisible());
        return shown;
    };
    const auto edit = [](QWidget* d, const char* name) {
        for (auto* e : d->findChildren<QLineEdit*>())
            if (e->accessibleName().startsWith(QString::fromUtf8(name))) return e;
        return static_cast<QLineEdit*>(nullptr);
    };
    ResultSettingsDialog* settings = dialog();
    ASSERT_NE(settings, nullptr);
    for (auto* b : settings->findChildren<QRadioButton*>())
        if (b->text().startsWith(QStringLiteral("指定する"))) QTest::mouseClick(b, Qt::LeftButton);
    QTest::keyClicks(edit(settings, "UTC"), QStringLiteral("+09:00"));
    for (auto* b : settings->findChildren<QPushButton*>())
        if (b->text() == QStringLiteral("選択したレコードをパネルにする")) QTest::mouseClick(b, Qt::LeftButton);
    EXPECT_EQ(edit(settings, "白色板のレコード")->text(), QStringLiteral("3"));
    QTest::keyClicks(edit(settings, "白色板の反射率"), QStringLiteral("0.99"));
    edit(settings, "最大天頂角")->setText(QStringLiteral("abc"));
    {
        // A setting that does not read is named, and the dialog stays.
        QString said;
        ModalAnswer<QMessageBox> box([&](QMessageBox& b) {
            said = b.text();
            b.accept();
        });
        settings->accept();
        EXPECT_EQ(said, QStringLiteral("結果の設定の最大天頂角が正しくありません。"));
        EXPECT_TRUE(settings->isVisible());
    }
    edit(settings, "最大天頂角")->setText(QStringLiteral("90"));
    settings->accept();
    EXPECT_TRUE(WaitFor([&] { return frame->findChild<ResultSettingsDialog*>() == nullptr; }, 2000));

    const auto* readout = frame->statusBar()->findChild<IndexReadout*>();
    EXPECT_TRUE(readout->text().contains(QStringLiteral("panel"))) << readout->text().toStdString();
    const bool fix = (session().track().given[3] & GPS_FIX) != 0;
    EXPECT_EQ(readout->text().contains(QStringLiteral("天頂角 ")), fix) << readout->text().toStdString();

    ModalAnswer<QFileDialog> name([&](QFileDialog& d) { test::ChooseFile(d, test::PathText(dir / "day")); });
    MenuAction(frame->menuBar(), QStringLiteral("NetCDFへ書き出し..."))->trigger();
    ASSERT_TRUE(name.answered());
    int nc = -1, qc = -1, zenith = -1, time = -1;
    ASSERT_EQ(nc_open((dir / "day.nc").c_str(), NC_NOWRITE, &nc), NC_NOERR);
    EXPECT_EQ(nc_inq_varid(nc, "qc", &qc), NC_NOERR);
    EXPECT_EQ(nc_inq_varid(nc, "sun_zenith", &zenith), NC_NOERR);
    EXPECT_EQ(nc_inq_varid(nc, "time", &time), NC_NOERR);
    std::array<unsigned char, 60> flags{};
    EXPECT_EQ(nc_get_var_uchar(nc, qc, flags.data()), NC_NOERR);
    char units[64] = {};
    EXPECT_EQ(nc_get_att_text(nc, time, "units", units), NC_NOERR);
    nc_close(nc);
    EXPECT_TRUE(flags[3] & QC_PANEL);
    EXPECT_FALSE(flags[2] & QC_PANEL);
    EXPECT_STREQ(units, "seconds since 1970-01-01T00:00:00Z");
    EXPECT_TRUE(frame->statusBar()->currentMessage().startsWith(QStringLiteral("60 件のレコードを NetCDF")))
        << frame->statusBar()->currentMessage().toStdString();

    // Kept in the profile: a new window shows them again.
    frame.reset();
    Start();
    settings = dialog();
    ASSERT_NE(settings, nullptr);
    EXPECT_EQ(edit(settings, "UTC")->text(), QStringLiteral("+09:00"));
    EXPECT_EQ(edit(settings, "白色板のレコード")->text(), QStringLiteral("3"));
    EXPECT_EQ(edit(settings, "最大天頂角")->text(), QStringLiteral("90"));
}

}  // namespace
}  // namespace varnelo
