#include <gtest/gtest.h>

#include <QImage>
#include <algorithm>
#include <memory>

#include "charts/colour_map.h"
#include "charts/dialog_units.h"
#include "charts/palette.h"
#include "support/recording_canvas.h"
#include "charts/spectrum_chart.h"
#include "charts/track_chart.h"
#include "data/data_file.h"
#include "charts/sample_records.h"
#include "charts/gui_application.h"
#include "support/test_support.h"
#include "track/gps_track.h"
#include "ui/chart_surface.h"

namespace varnelo {
namespace {

// The frames of the main form; their pixel sizes (586 x 483, 233 x 172) are
// pinned where the conversion is defined.
constexpr int SPECTRUM_W = SpectrumFrameSize().width;
constexpr int SPECTRUM_H = SpectrumFrameSize().height;
constexpr int TRACK_W = TrackFrameSize().width;
constexpr int TRACK_H = TrackFrameSize().height;

class CliPlot : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        test::EnsureGuiApplication();
    }

    void SetUp() override {
        doc = std::make_unique<CVarneloDoc>();
        test::FillSampleDocument(*doc, 40);
        ASSERT_TRUE(SaveDataFile(dir / "walk.vrnldata", *doc));
    }

    test::ProcessResult Plot(std::vector<std::string> extra) {
        std::vector<std::string> args{"plot", (dir / "walk.vrnldata").string()};
        args.insert(args.end(), extra.begin(), extra.end());
        return test::RunCli(args);
    }

    test::TempDir dir;
    std::unique_ptr<CVarneloDoc> doc;
};

QImage Region(const QImage& image, int x, int width, int height) { return image.copy(x, 0, width, height).convertToFormat(QImage::Format_RGB32); }

TEST_F(CliPlot, DrawsRecordKAndTheWholeTrackExactlyAsTheCharts) {
    const auto result = Plot({"--record", "7", "-o", (dir / "out.png").string()});
    ASSERT_EQ(result.status, 0) << result.err;
    const QImage png(QString::fromStdString((dir / "out.png").string()));
    ASSERT_FALSE(png.isNull());
    ASSERT_EQ(png.size(), QSize(SPECTRUM_W + TRACK_W, SPECTRUM_H));

    ChartSurface spectrum(QSize(SPECTRUM_W, SPECTRUM_H));
    spectrum.draw([&](Canvas& c) { DrawSpectrumChart(c, doc->record(7), false); });
    const auto track = std::make_unique<GpsTrack>();
    ComputeTrack(*doc, 40, *track);
    ChartSurface trackChart(QSize(TRACK_W, TRACK_H));
    trackChart.draw([&](Canvas& c) { DrawTrackChart(c, TrackChartDataOf(*track, 40), 7); });
    EXPECT_EQ(Region(png, 0, SPECTRUM_W, SPECTRUM_H), spectrum.image());
    EXPECT_EQ(Region(png, SPECTRUM_W, TRACK_W, TRACK_H), trackChart.image());

    // And what is there is what was asked for: the red cross where record 7's
    // point maps, three curve colours in the spectrum.
    RecordingCanvas recording({0, 0, TRACK_W, TRACK_H});
    DrawTrackChart(recording, TrackChartDataOf(*track, 40), 7);
    const auto segments = recording.segments();
    ASSERT_GE(segments.size(), 3u);
    const auto cross = segments[segments.size() - 2];
    EXPECT_EQ(cross.pen, TRACK_CROSS_PEN);
    EXPECT_EQ(png.pixel(SPECTRUM_W + cross.from.x, cross.from.y), qRgb(255, 0, 0));
    EXPECT_GT(segments.size(), 20u);  // the walk draws a real polyline
    int ch1 = 0, ch2 = 0, refl = 0;
    for (int y = 0; y < SPECTRUM_H; ++y) {
        for (int x = 0; x < SPECTRUM_W; ++x) {
            const QRgb p = png.pixel(x, y);
            ch1 += p == qRgb(141, 57, 57);
            ch2 += p == qRgb(255, 0, 0);
            refl += p == qRgb(255, 128, 0);
        }
    }
    EXPECT_GT(ch1, 300);
    EXPECT_GT(ch2, 500);
    EXPECT_GT(refl, 400);
}

TEST_F(CliPlot, ColourByDrawsEachPointInTheMapColourOfItsIndex) {
    const auto result = Plot({"--colour-by", "NDVI", "-o", (dir / "ndvi.png").string()});
    ASSERT_EQ(result.status, 0) << result.err;
    const QImage png(QString::fromStdString((dir / "ndvi.png").string()));
    const auto track = std::make_unique<GpsTrack>();
    ComputeTrack(*doc, 40, *track);
    const std::vector<IndexValue> ndvi = IndexOfRecords(*doc, 40, NDVI);
    ChartSurface coloured(QSize(TRACK_W, TRACK_H));
    coloured.draw([&](Canvas& c) { DrawTrackChart(c, TrackChartDataOf(*track, 40), 0, MakeTrackColouring(NDVI, ndvi)); });
    EXPECT_EQ(Region(png, SPECTRUM_W, TRACK_W, TRACK_H), coloured.image());

    // The last record's dot lies on top of all others: its colour is the
    // map's colour of its NDVI over the range of the file's NDVI.
    const auto [low, high] = std::minmax_element(ndvi.begin(), ndvi.end());
    ASSERT_TRUE(ndvi.back() && *low && *high && **high > **low);
    const Rgb expected = ViridisColour((*ndvi.back() - **low) / (**high - **low));
    const TrackGeometry g = ComputeTrackGeometry({0, 0, TRACK_W, TRACK_H}, TrackChartDataOf(*track, 40));
    const Point p = MapTrackPoint(g, track->x[39], track->y[39]);
    EXPECT_EQ(png.pixel(SPECTRUM_W + p.x, p.y), qRgb(expected.red, expected.green, expected.blue));

    const auto unknown = Plot({"--colour-by", "evi", "-o", (dir / "evi.png").string()});
    EXPECT_EQ(unknown.status, 2);
    EXPECT_NE(unknown.err.find("'evi'"), std::string::npos) << unknown.err;
    EXPECT_FALSE(std::filesystem::exists(dir / "evi.png"));
}

TEST_F(CliPlot, LimitDrawsTheChartWindowOnly) {
    ASSERT_EQ(Plot({"--limit", "-o", (dir / "limit.png").string()}).status, 0);
    const QImage png(QString::fromStdString((dir / "limit.png").string()));
    ChartSurface spectrum(QSize(SPECTRUM_W, SPECTRUM_H));
    spectrum.draw([&](Canvas& c) { DrawSpectrumChart(c, doc->record(0), true); });
    EXPECT_EQ(Region(png, 0, SPECTRUM_W, SPECTRUM_H), spectrum.image());
}

TEST_F(CliPlot, FileWithoutRecordsGivesTheEmptyCharts) {
    CVarneloDoc empty;
    ASSERT_TRUE(SaveDataFile(dir / "empty.vrnldata", empty));
    const auto result = test::RunCli({"plot", (dir / "empty.vrnldata").string(), "-o", (dir / "empty.png").string()});
    ASSERT_EQ(result.status, 0) << result.err;
    const QImage png(QString::fromStdString((dir / "empty.png").string()));
    ChartSurface spectrum(QSize(SPECTRUM_W, SPECTRUM_H));
    spectrum.draw([](Canvas& c) { DrawSpectrumAxes(c); });
    ChartSurface track(QSize(TRACK_W, TRACK_H));
    track.draw([](Canvas& c) { DrawTrackFrame(c); });
    EXPECT_EQ(Region(png, 0, SPECTRUM_W, SPECTRUM_H), spectrum.image());
    EXPECT_EQ(Region(png, SPECTRUM_W, TRACK_W, TRACK_H), track.image());

    const auto asked = test::RunCli({"plot", (dir / "empty.vrnldata").string(), "--record", "0", "-o", (dir / "e0.png").string()});
    EXPECT_NE(asked.status, 0);
    EXPECT_NE(asked.err.find("record 0"), std::string::npos) << asked.err;
}

TEST_F(CliPlot, RecordOutsideTheFileIsOneClearErrorAndNoImage) {
    for (const char* k : {"40", "-1", "seven"}) {
        const auto result = Plot({"--record", k, "-o", (dir / "bad.png").string()});
        EXPECT_NE(result.status, 0) << k;
        EXPECT_NE(result.err.find(k), std::string::npos) << result.err;
        EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
        EXPECT_FALSE(std::filesystem::exists(dir / "bad.png")) << k;
    }
    const auto result = Plot({"--record", "40", "-o", (dir / "bad.png").string()});
    EXPECT_NE(result.err.find("walk.vrnldata"), std::string::npos) << result.err;
    EXPECT_NE(result.err.find("40 records"), std::string::npos) << result.err;
    EXPECT_NE(Plot({}).status, 0);  // no output named
}

}  // namespace
}  // namespace varnelo
