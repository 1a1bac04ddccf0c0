#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "chart_test_support.h"
#include "charts/palette.h"
#include "charts/spectrum_chart.h"

namespace varnelo {
namespace {

using Kind = CanvasOp::Kind;

constexpr Rect CLIENT{0, 0, 580, 480};
constexpr Rect PLOT{60, 10, 570, 455};
constexpr int H = 445;

DerivedSpectra Flat(float ch1, float ch2, float reflectance) {
    DerivedSpectra s;
    s.ch1_scaled.fill(ch1);
    s.ch2.fill(ch2);
    s.reflectance.fill(reflectance);
    return s;
}

TEST(SpectrumAxes, WorkedExampleGeometry) {
    RecordingCanvas canvas(CLIENT);
    DrawSpectrumAxes(canvas);
    const auto rects = canvas.opsOfKind(Kind::Rectangle);
    ASSERT_EQ(rects.size(), 2u);
    EXPECT_EQ(rects[0].rect, CLIENT);
    EXPECT_EQ(rects[1].rect, PLOT);
    EXPECT_EQ(SpectrumPlotRect(CLIENT), PLOT);

    const auto segments = canvas.segments();
    ASSERT_EQ(segments.size(), 11u + 13u);
    for (const auto& s : segments) EXPECT_EQ(s.pen, SPECTRUM_GRID_PEN);
    // Wavelength lines, one pixel per nanometre from 340 nm at the left edge.
    EXPECT_EQ(segments[0].from, (Point{70, 10}));
    EXPECT_EQ(segments[0].to, (Point{70, 455}));
    EXPECT_EQ(segments[10].from, (Point{570, 10}));
    EXPECT_EQ(segments[10].to, (Point{570, 455}));
    // Count lines from 5000 to 65000; none at 0 or 65535.
    EXPECT_EQ(segments[11].from, (Point{60, 422}));
    EXPECT_EQ(segments[11].to, (Point{570, 422}));
    EXPECT_EQ(segments[23].from, (Point{60, 14}));

    const CanvasOp* label350 = canvas.findText("350");
    ASSERT_NE(label350, nullptr);
    EXPECT_EQ(label350->point, (Point{60, 457}));
    const CanvasOp* label5000 = canvas.findText(" 5000");
    ASSERT_NE(label5000, nullptr);
    EXPECT_EQ(label5000->point, (Point{10, 412}));
    ASSERT_NE(canvas.findText("850"), nullptr);
    ASSERT_NE(canvas.findText("65000"), nullptr);
    EXPECT_EQ(canvas.opsOfKind(Kind::TextOut).size(), 24u);
}

TEST(SpectrumAxes, FramesUseThePenFoundAndPutItBack) {
    RecordingCanvas canvas(CLIENT);
    const Pen found = ThickPen(4, 2);
    canvas.selectPen(found);
    DrawSpectrumAxes(canvas);
    for (const auto& op : canvas.opsOfKind(Kind::Rectangle)) EXPECT_EQ(op.pen, found);
    EXPECT_EQ(canvas.currentPen(), found);
}

TEST(SpectrumAxes, GridRowsStayExactOnVeryTallPlots) {
    // 65000 * 40000 does not fit 32 bits; the row must still be the true one.
    const Rect plot{0, 0, 100, 40000};
    EXPECT_EQ(SpectrumGridRow(plot, 65000), 40000 - 39673);
    EXPECT_EQ(SpectrumGridRow(PLOT, 5000), 422);
}

TEST(SpectrumChart, CurvesInOrderEachWithItsPenOverAllElements) {
    RecordingCanvas canvas(CLIENT);
    const Pen found = DEFAULT_PEN;
    DrawSpectrumChart(canvas, Flat(0.0f, 0.0f, 0.0f), false);
    EXPECT_EQ(canvas.currentPen(), found);

    // The pens are selected ch1, ch2, reflectance, each put back afterwards.
    std::vector<Pen> curvePens;
    for (const auto& op : canvas.opsOfKind(Kind::SelectPen)) {
        if (op.pen != SPECTRUM_GRID_PEN && op.pen != found) curvePens.push_back(op.pen);
    }
    EXPECT_EQ(curvePens, (std::vector<Pen>{CH1_CURVE_PEN, CH2_CURVE_PEN, REFLECTANCE_CURVE_PEN}));

    for (const Pen& pen : {CH1_CURVE_PEN, CH2_CURVE_PEN, REFLECTANCE_CURVE_PEN}) {
        const auto points = test::PointsDrawnWith(canvas, pen);
        ASSERT_EQ(points.size(), 511u);
        // An all-zero record runs along the bottom edge, one pixel per element.
        EXPECT_EQ(points.front(), (Point{60, 455}));
        EXPECT_EQ(points.back(), (Point{570, 455}));
        EXPECT_EQ(points[100], (Point{160, 455}));
    }
    // The curves come after the grid, the first point of each a move.
    std::size_t firstCurveOp = 0;
    while (canvas.ops()[firstCurveOp].pen != CH1_CURVE_PEN || canvas.ops()[firstCurveOp].kind == Kind::SelectPen) ++firstCurveOp;
    EXPECT_EQ(canvas.ops()[firstCurveOp].kind, Kind::MoveTo);
    EXPECT_EQ(canvas.opsOfKind(Kind::TextOut).size(), 24u);
}

TEST(SpectrumChart, LimitDrawsTheChartWindowFrom390To800Nanometres) {
    RecordingCanvas canvas(CLIENT);
    DrawSpectrumChart(canvas, Flat(1000.0f, 2000.0f, 0.5f), true);
    for (const Pen& pen : {CH1_CURVE_PEN, CH2_CURVE_PEN, REFLECTANCE_CURVE_PEN}) {
        const auto points = test::PointsDrawnWith(canvas, pen);
        ASSERT_EQ(points.size(), 411u);
        EXPECT_EQ(points.front().x, PLOT.left + 50);
        EXPECT_EQ(points.back().x, PLOT.left + 460);
    }
    const auto moves = canvas.opsOfKind(Kind::MoveTo);
    // 24 grid moves, then one move per curve at element 50.
    ASSERT_EQ(moves.size(), 27u);
    EXPECT_EQ(moves[24].point.x, 110);
}

TEST(SpectrumChart, PointerColumnsNameTheElementDrawnThere) {
    // The readout under the mouse must name the element whose point stands in that column.
    for (const bool limit : {false, true}) {
        RecordingCanvas canvas(CLIENT);
        DrawSpectrumChart(canvas, Flat(1000.0f, 2000.0f, 0.5f), limit);
        for (const Point p : test::PointsDrawnWith(canvas, CH2_CURVE_PEN)) {
            EXPECT_EQ(SpectrumElementAt(CLIENT, p.x, limit), p.x - PLOT.left);
        }
    }
    EXPECT_EQ(SpectrumElementAt(CLIENT, PLOT.left - 1, false), -1);
    EXPECT_EQ(SpectrumElementAt(CLIENT, PLOT.left + 511, false), -1);
    EXPECT_EQ(SpectrumElementAt(CLIENT, PLOT.left + 49, true), -1);
    EXPECT_EQ(SpectrumElementAt(CLIENT, PLOT.left + 461, true), -1);
}

TEST(SpectrumChart, HeightsFollowTheScalesAndClampToThePlot) {
    DerivedSpectra s = Flat(0.0f, 0.0f, 0.0f);
    s.ch2[0] = 65535.0f;                 // top edge
    s.ch2[1] = 32768.0f;                 // 455 - trunc(32768 * 445 / 65535.0)
    s.ch2[2] = 70000.0f;                 // above full scale: top edge
    s.ch2[3] = -5.0f;                    // bottom edge
    s.ch2[4] = 1.0e12f;                  // scaled past int32: bottom edge, not top
    s.ch2[5] = std::numeric_limits<float>::quiet_NaN();
    s.reflectance[0] = 1.0f;             // half height, truncated
    s.reflectance[1] = 2.0f;             // top edge
    s.reflectance[2] = 1.0e7f;           // 1e7 * 445 * 0.5 > 2147483647: bottom edge
    s.reflectance[3] = std::numeric_limits<float>::infinity();
    s.reflectance[4] = -std::numeric_limits<float>::infinity();
    s.reflectance[5] = 9.0e6f;           // 2.0025e9 still fits: top edge
    s.ch1_scaled[0] = 5000.0f;
    RecordingCanvas canvas(CLIENT);
    DrawSpectrumChart(canvas, s, false);

    const auto ch2 = test::PointsDrawnWith(canvas, CH2_CURVE_PEN);
    ASSERT_EQ(ch2.size(), 511u);
    EXPECT_EQ(ch2[0].y, PLOT.top);
    EXPECT_EQ(ch2[1].y, 455 - static_cast<int>(32768.0 * H / 65535.0));
    EXPECT_EQ(ch2[1].y, 233);
    EXPECT_EQ(ch2[2].y, PLOT.top);
    EXPECT_EQ(ch2[3].y, PLOT.bottom);
    EXPECT_EQ(ch2[4].y, PLOT.bottom);
    EXPECT_EQ(ch2[5].y, PLOT.bottom);

    const auto refl = test::PointsDrawnWith(canvas, REFLECTANCE_CURVE_PEN);
    ASSERT_EQ(refl.size(), 511u);
    EXPECT_EQ(refl[0].y, 455 - 222);
    EXPECT_EQ(refl[1].y, PLOT.top);
    EXPECT_EQ(refl[2].y, PLOT.bottom);
    EXPECT_EQ(refl[3].y, PLOT.bottom);
    EXPECT_EQ(refl[4].y, PLOT.bottom);
    EXPECT_EQ(refl[5].y, PLOT.top);

    const auto ch1 = test::PointsDrawnWith(canvas, CH1_CURVE_PEN);
    EXPECT_EQ(ch1[0].y, 455 - static_cast<int>(5000.0 * H / 65535.0));
}

TEST(SpectrumChart, HeightRuleAtTheEdgesOfTheIntegerRange) {
    EXPECT_EQ(SpectrumCurveHeight(2147483647.9, 445), 445);   // truncates to INT32_MAX: fits
    EXPECT_EQ(SpectrumCurveHeight(2147483648.0, 445), 0);     // does not fit
    EXPECT_EQ(SpectrumCurveHeight(-2147483648.9, 445), 0);
    EXPECT_EQ(SpectrumCurveHeight(-1e300, 445), 0);
    EXPECT_EQ(SpectrumCurveHeight(222.99, 445), 222);
    EXPECT_EQ(SpectrumCurveHeight(-0.5, 445), 0);
    EXPECT_EQ(SpectrumCurveHeight(std::numeric_limits<double>::quiet_NaN(), 445), 0);
    // A client too small for a plot gives a negative height; points stay on
    // the bottom edge.
    EXPECT_EQ(SpectrumCurveHeight(100.0, -5), 0);
}

TEST(SpectrumChart, RecordIsDerivedBeforeDrawing) {
    // exp_ch1 of 0 makes ch1 and the reflectance non-finite: both lie on the
    // bottom edge while ch2 is drawn at its height.
    MeasurementRecord record{};
    record.set_exp(0, 100);
    for (int j = 0; j < SPECTRUM_LENGTH; ++j) {
        record.set_spectrum_ch1(static_cast<std::size_t>(j), 1000.0f);
        record.set_spectrum_ch2(static_cast<std::size_t>(j), 65535.0f);
        record.set_channel_diff(static_cast<std::size_t>(j), 1.0f);
    }
    RecordingCanvas canvas(CLIENT);
    DrawSpectrumChart(canvas, record, false);
    EXPECT_EQ(test::PointsDrawnWith(canvas, CH1_CURVE_PEN)[7].y, PLOT.bottom);
    EXPECT_EQ(test::PointsDrawnWith(canvas, CH2_CURVE_PEN)[7].y, PLOT.top);
    EXPECT_EQ(test::PointsDrawnWith(canvas, REFLECTANCE_CURVE_PEN)[7].y, PLOT.bottom);
}

}  // namespace
}  // namespace varnelo
