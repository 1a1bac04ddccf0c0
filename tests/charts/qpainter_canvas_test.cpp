#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <vector>

#include "chart_test_support.h"
#include "gui_application.h"
#include "charts/palette.h"
#include "charts/spectrum_chart.h"
#include "charts/track_chart.h"
#include "ui/chart_surface.h"
#include "ui/qpainter_canvas.h"

namespace varnelo {
namespace {

class PainterCanvas : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        test::EnsureGuiApplication();
    }
};

Rgb At(const QImage& image, int x, int y) {
    const QRgb c = image.pixel(x, y);
    return {static_cast<std::uint8_t>(qRed(c)), static_cast<std::uint8_t>(qGreen(c)), static_cast<std::uint8_t>(qBlue(c))};
}

constexpr Rgb WHITE{255, 255, 255};
constexpr Rgb BLACK{0, 0, 0};

// Drawn on a picture wider than the track frame, a text that does not fit shows beyond it.
TEST_F(PainterCanvas, TrackTextsStayWithinTheFrameInTheChartFont) {
    const int width = 233, height = 172;
    for (const float altitude : {12.3f, 12345.6f, -12345.6f}) {
        test::TrackFixture track;
        track.add(0, 0, -999.9f, 359.9f, altitude, -12345.6f);
        track.add(2000, -2000);
        track.max_x = 2000, track.min_y = -2000;
        QImage image(2 * width, height, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        QPainterCanvas canvas(painter, {0, 0, width, height}, ChartSurface::ChartFont());
        DrawTrackChart(canvas, track.data(), 0, MakeTrackColouring(NDVI, std::vector<IndexValue>{-12.345, 12.345}));
        painter.end();
        for (int y = 1; y < height - 1; ++y) {
            for (int x = width - TRACK_TEXT_MARGIN; x < image.width(); x += x == width - 2 ? 2 : 1)  // past the frame
                ASSERT_EQ(At(image, x, y), WHITE) << altitude << " at " << x << ", " << y;
        }
    }
}

// Set pixel by pixel at the native size, through the painter when scaled.
TEST_F(PainterCanvas, FillsStayInsideTheClipAtAnyScale) {
    for (const int scale : {1, 2}) {
        QImage image(10 * scale, 10 * scale, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        QPainterCanvas canvas(painter, {0, 0, 10, 10}, ChartSurface::ChartFont(), scale);
        canvas.setClip({2, 3, 5, 7});
        canvas.fillRect({0, 0, 10, 10}, BLACK);
        painter.end();
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                EXPECT_EQ(At(image, x, y) == BLACK, x >= 2 * scale && x < 5 * scale && y >= 3 * scale && y < 7 * scale);
    }
}

TEST_F(PainterCanvas, RectangleCoversLeftToRightMinusOneWithWhiteInside) {
    ChartSurface surface(QSize(12, 10));
    surface.draw([](Canvas& c) {
        c.selectPen(ThinPen(4, 0));
        c.rectangle({0, 0, 12, 10});  // green frame over everything
        c.selectPen(DEFAULT_PEN);
        c.rectangle({2, 2, 8, 6});
    });
    const QImage& im = surface.image();
    const Rgb green{0, 255, 0};
    EXPECT_EQ(At(im, 0, 0), green);
    EXPECT_EQ(At(im, 11, 9), green);
    EXPECT_EQ(At(im, 11, 5), green);
    EXPECT_EQ(At(im, 1, 1), WHITE);
    for (int x = 2; x <= 7; ++x) {
        EXPECT_EQ(At(im, x, 2), BLACK) << x;
        EXPECT_EQ(At(im, x, 5), BLACK) << x;
        EXPECT_EQ(At(im, x, 6), WHITE) << x;  // bottom edge left unpainted
    }
    for (int y = 2; y <= 5; ++y) {
        EXPECT_EQ(At(im, 2, y), BLACK) << y;
        EXPECT_EQ(At(im, 7, y), BLACK) << y;
        EXPECT_EQ(At(im, 8, y), WHITE) << y;  // right edge left unpainted
    }
    EXPECT_EQ(At(im, 4, 4), WHITE);
}

TEST_F(PainterCanvas, LinesInEveryDirectionPaintTheirStartButNotTheirEnd) {
    const Point centre{10, 10};
    for (Point end : {Point{16, 10}, Point{4, 10}, Point{10, 16}, Point{10, 4}, Point{14, 13}, Point{6, 7}, Point{13, 4},
                      Point{7, 16}, Point{16, 16}, Point{4, 4}}) {
        ChartSurface surface(QSize(21, 21));
        surface.draw([&](Canvas& c) {
            c.moveTo(centre);
            c.lineTo(end);
        });
        EXPECT_EQ(At(surface.image(), centre.x, centre.y), BLACK) << end.x << "," << end.y;
        EXPECT_EQ(At(surface.image(), end.x, end.y), WHITE) << end.x << "," << end.y;
    }
    ChartSurface surface(QSize(5, 5));
    surface.draw([](Canvas& c) {
        c.moveTo({2, 2});
        c.lineTo({2, 2});  // to itself: nothing
    });
    EXPECT_EQ(At(surface.image(), 2, 2), WHITE);
}

TEST_F(PainterCanvas, LinesWithFarEndsPaintTheirVisiblePart) {
    ChartSurface surface(QSize(20, 20));
    surface.draw([](Canvas& c) {
        c.moveTo({-16777216, 5});
        c.lineTo({16777216, 5});
        c.moveTo({7, 16777216});
        c.lineTo({7, -16777216});
        c.moveTo({-16777216, -16777216});
        c.lineTo({16777216, 16777216});
    });
    const QImage& im = surface.image();
    for (int i = 0; i < 20; ++i) {
        EXPECT_EQ(At(im, i, 5), BLACK) << i;
        EXPECT_EQ(At(im, 7, i), BLACK) << i;
        EXPECT_EQ(At(im, i, i), BLACK) << i;
    }
    EXPECT_EQ(At(im, 3, 4), WHITE);
}

TEST_F(PainterCanvas, TextHangsBelowItsOriginInBlack) {
    ChartSurface surface(QSize(120, 60));
    surface.draw([](Canvas& c) { c.textOut({20, 30}, "65000"); });
    const QImage& im = surface.image();
    int top = im.height();
    int left = im.width();
    for (int y = 0; y < im.height(); ++y) {
        for (int x = 0; x < im.width(); ++x) {
            const Rgb p = At(im, x, y);
            if (p == WHITE) continue;
            EXPECT_EQ(p, BLACK) << x << "," << y;  // no antialiasing
            top = std::min(top, y);
            left = std::min(left, x);
        }
    }
    ASSERT_LT(top, im.height()) << "no text painted";
    EXPECT_GE(top, 30);
    EXPECT_LE(top, 30 + 6);
    EXPECT_GE(left, 20);
    EXPECT_LE(left, 20 + 3);
}

TEST_F(PainterCanvas, SpectrumPixelsLieWhereTheRecordingSays) {
    DerivedSpectra s;
    s.ch1_scaled.fill(0.0f);
    s.reflectance.fill(0.0f);
    for (int j = 0; j < SPECTRUM_LENGTH; ++j) s.ch2[static_cast<std::size_t>(j)] = 200.0f * static_cast<float>(j);
    const Rect client{0, 0, 586, 483};
    RecordingCanvas recording(client);
    DrawSpectrumChart(recording, s, false);
    ChartSurface surface(QSize(586, 483));
    surface.draw([&](Canvas& c) { DrawSpectrumChart(c, s, false); });
    const QImage& im = surface.image();

    const auto ch2 = test::PointsDrawnWith(recording, CH2_CURVE_PEN);
    ASSERT_EQ(ch2.size(), 511u);
    // Every point but the last starts a stroke, so it is painted red.
    for (std::size_t i : {1u, 100u, 255u, 400u, 509u}) {
        EXPECT_EQ(At(im, ch2[i].x, ch2[i].y), (Rgb{255, 0, 0})) << i;
    }
    // A wavelength grid line in grey, away from the curves.
    const Rect plot = SpectrumPlotRect(client);
    EXPECT_EQ(At(im, plot.left + 10, plot.top + 5), (Rgb{192, 192, 192}));
    // The plot's outline in black, its right edge one pixel inside.
    EXPECT_EQ(At(im, plot.right - 1, plot.top + 5), BLACK);
    EXPECT_EQ(At(im, plot.right, plot.top + 5), WHITE);
    // The ch1 and reflectance curves run along the bottom edge; the
    // reflectance, drawn last, covers the ch1 curve there.
    EXPECT_EQ(At(im, plot.left + 300, plot.bottom), (Rgb{255, 128, 0}));
}

TEST_F(PainterCanvas, TrackCrossInRed) {
    test::TrackFixture track;
    track.max_x = 10;
    track.min_y = -20;
    track.add(0, 0);
    track.add(10, -20);
    const TrackChartData d = track.data();
    ChartSurface surface(QSize(200, 160));
    surface.draw([&](Canvas& c) { DrawTrackChart(c, d, 1); });
    const QImage& im = surface.image();
    const Rgb red{255, 0, 0};
    // The cross at (165, 30): arms (160..169, 30) and (165, 35..26).
    EXPECT_EQ(At(im, 160, 30), red);
    EXPECT_EQ(At(im, 169, 30), red);
    EXPECT_EQ(At(im, 165, 34), red);
    EXPECT_EQ(At(im, 165, 26), red);
    EXPECT_NE(At(im, 165, 25), red);
    // The polyline in black from (115, 130) towards the cross.
    EXPECT_EQ(At(im, 140, 80), BLACK);
}

TEST_F(PainterCanvas, EachDrawingStartsWithTheDefaultPen) {
    ChartSurface surface(QSize(10, 10));
    surface.draw([](Canvas& c) { c.selectPen(CH2_CURVE_PEN); });
    Pen found{};
    surface.draw([&](Canvas& c) {
        found = c.selectPen(DEFAULT_PEN);
        EXPECT_EQ(c.clientRect(), (Rect{0, 0, 10, 10}));
    });
    EXPECT_EQ(found, DEFAULT_PEN);
}

}  // namespace
}  // namespace varnelo
