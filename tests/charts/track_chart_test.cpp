#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <limits>
#include <memory>
#include <vector>

#include "chart_test_support.h"
#include "charts/palette.h"
#include "charts/track_chart.h"

namespace varnelo {
namespace {

using Kind = CanvasOp::Kind;
using test::TrackFixture;

// The worked example: extents 0..10 across, -20..0 down.
TrackFixture Example() {
    TrackFixture t;
    t.max_x = 10;
    t.min_y = -20;
    t.add(0, 0, 5.1444f, 90.0f, 12.3f, 45.6f);
    t.add(10, -20);
    return t;
}

TEST(TrackChart, WorkedExampleDrawsExactlyTheseOperations) {
    RecordingCanvas canvas({0, 0, 200, 160});
    DrawTrackChart(canvas, Example().data(), 0);
    const auto& ops = canvas.ops();
    ASSERT_EQ(ops.size(), 12u);
    EXPECT_EQ(ops[0].kind, Kind::Rectangle);
    EXPECT_EQ(ops[0].rect, (Rect{0, 0, 200, 160}));
    EXPECT_EQ(ops[1].kind, Kind::TextOut);
    EXPECT_EQ(ops[1].text, "GPS XW:10.000, YH:20.000");
    EXPECT_EQ(ops[1].point, (Point{50, 5}));
    EXPECT_EQ(ops[2].kind, Kind::TextOut);
    EXPECT_EQ(ops[2].text, "V: 5.1 m/s D: 90.0 deg A: 12.3 / 45.6 m ");
    EXPECT_EQ(ops[2].point, (Point{20, 135}));
    EXPECT_EQ(ops[3].kind, Kind::Rectangle);
    EXPECT_EQ(ops[3].rect, (Rect{10, 30, 190, 130}));
    // The polyline in the default pen.
    EXPECT_EQ(ops[4].kind, Kind::MoveTo);
    EXPECT_EQ(ops[4].point, (Point{115, 130}));
    EXPECT_EQ(ops[5].kind, Kind::LineTo);
    EXPECT_EQ(ops[5].point, (Point{165, 30}));
    EXPECT_EQ(ops[5].pen, DEFAULT_PEN);
    // The red cross at record 0, then the pen put back.
    EXPECT_EQ(ops[6].kind, Kind::SelectPen);
    EXPECT_EQ(ops[6].pen, TRACK_CROSS_PEN);
    const auto segments = canvas.segments();
    ASSERT_EQ(segments.size(), 3u);
    EXPECT_EQ(segments[1].from, (Point{110, 130}));
    EXPECT_EQ(segments[1].to, (Point{120, 130}));
    EXPECT_EQ(segments[1].pen, TRACK_CROSS_PEN);
    EXPECT_EQ(segments[2].from, (Point{115, 135}));
    EXPECT_EQ(segments[2].to, (Point{115, 125}));
    EXPECT_EQ(ops[11].kind, Kind::SelectPen);
    EXPECT_EQ(ops[11].pen, DEFAULT_PEN);
    EXPECT_EQ(canvas.currentPen(), DEFAULT_PEN);

    const TrackGeometry g = ComputeTrackGeometry({0, 0, 200, 160}, Example().data());
    EXPECT_EQ(g.side, 100);
    EXPECT_EQ(g.extent, 20.0);
    EXPECT_EQ(g.xr, 15.0);
    EXPECT_EQ(g.yt, 0.0);
}

TEST(TrackChart, SelectingAnotherRecordMovesOnlyTheCross) {
    TrackFixture t = Example();
    RecordingCanvas first({0, 0, 200, 160});
    RecordingCanvas second({0, 0, 200, 160});
    DrawTrackChart(first, t.data(), 0);
    DrawTrackChart(second, t.data(), 1);
    EXPECT_EQ(second.segments()[0].from, first.segments()[0].from);
    EXPECT_EQ(second.segments()[0].to, first.segments()[0].to);
    EXPECT_EQ(second.segments()[1].from, (Point{160, 30}));
    EXPECT_EQ(second.segments()[2].from, (Point{165, 35}));
    EXPECT_EQ(second.segments()[2].to, (Point{165, 25}));
    EXPECT_EQ(second.opsOfKind(Kind::TextOut)[1].text, "V: 0.0 m/s D: 0.0 deg A: 0.0 / 0.0 m ");
}

TEST(TrackChart, PointsOnThePreviousPixelAddNoStroke) {
    TrackFixture t = Example();
    t.x = {0, 0.1, 0.15, 10, 10};
    t.y = {0, 0, 0, -20, -20};
    t.speed.resize(5);
    t.course.resize(5);
    t.altitude.resize(5);
    t.altitude2.resize(5);
    RecordingCanvas canvas({0, 0, 200, 160});
    DrawTrackChart(canvas, t.data(), 4);
    const auto polyline = test::PointsDrawnWith(canvas, DEFAULT_PEN);
    // 0.1 maps to x = 115.5, the same pixel as 0; 0.15 to 115.75, still the
    // same; the repeated last point adds nothing either.
    ASSERT_EQ(polyline.size(), 2u);
    EXPECT_EQ(polyline[0], (Point{115, 130}));
    EXPECT_EQ(polyline[1], (Point{165, 30}));
}

TEST(TrackChart, SquareSitsAtTheBottomRightOfTheInnerRectangle) {
    TrackFixture t = Example();
    {
        RecordingCanvas wide({0, 0, 400, 160});  // inner (10, 30, 390, 130), S = 100
        DrawTrackChart(wide, t.data(), 0);
        const auto pts = test::PointsDrawnWith(wide, DEFAULT_PEN);
        EXPECT_EQ(pts[0], (Point{315, 130}));
        EXPECT_EQ(pts[1], (Point{365, 30}));
    }
    {
        RecordingCanvas tall({0, 0, 200, 400});  // inner (10, 30, 190, 370), S = 180
        DrawTrackChart(tall, t.data(), 0);
        const auto pts = test::PointsDrawnWith(tall, DEFAULT_PEN);
        EXPECT_EQ(pts[0], (Point{55, 370}));    // 190 - 180 * 15 / 20
        EXPECT_EQ(pts[1], (Point{145, 190}));   // 370 - 180 * 20 / 20
    }
}

TEST(TrackChart, TrackWithoutExtentShowsFramesAndReadoutsOnly) {
    TrackFixture t;
    t.add(0, 0, 1.0f, 2.0f, 3.0f, 4.0f);
    RecordingCanvas canvas({0, 0, 233, 172});
    DrawTrackChart(canvas, t.data(), 0);
    const auto& ops = canvas.ops();
    ASSERT_EQ(ops.size(), 4u);
    EXPECT_EQ(ops[0].kind, Kind::Rectangle);
    EXPECT_EQ(ops[1].text, "GPS XW:0.000, YH:0.000");
    EXPECT_EQ(ops[2].text, "V: 1.0 m/s D: 2.0 deg A: 3.0 / 4.0 m ");
    EXPECT_EQ(ops[3].kind, Kind::Rectangle);
    EXPECT_EQ(ops[3].rect, (Rect{10, 30, 223, 142}));
}

TEST(TrackChart, IndexOutsideTheTrackDrawsNeitherReadoutNorCross) {
    TrackFixture t = Example();
    for (int k : {-1, 2, 100000}) {
        RecordingCanvas canvas({0, 0, 200, 160});
        DrawTrackChart(canvas, t.data(), k);
        EXPECT_EQ(canvas.opsOfKind(Kind::TextOut).size(), 1u) << k;
        EXPECT_EQ(canvas.segments().size(), 1u) << k;
        EXPECT_EQ(canvas.currentPen(), DEFAULT_PEN);
    }
    // A count larger than the slots draws the slots there are.
    TrackChartData d = t.data();
    d.count = 50;
    RecordingCanvas canvas({0, 0, 200, 160});
    DrawTrackChart(canvas, d, 0);
    EXPECT_EQ(test::PointsDrawnWith(canvas, DEFAULT_PEN).size(), 2u);
}

TEST(TrackChart, CrossArmsAreTruncatedAfterTheOffset) {
    // Record 2 lies outside the extents (a slot past the listed ones):
    // X = 115 + 5 x = 2.5 and Y = 130 + 5 y = 2.5. Truncating first would give
    // arms from -3; truncating after the offset gives -2.
    TrackFixture t = Example();
    t.add(-22.5, -25.5);
    TrackChartData d = t.data();
    d.count = 2;
    RecordingCanvas canvas({0, 0, 200, 160});
    DrawTrackChart(canvas, d, 2);
    const auto cross = canvas.segments();
    ASSERT_EQ(cross.size(), 3u);
    EXPECT_EQ(cross[1].from, (Point{-2, 2}));
    EXPECT_EQ(cross[1].to, (Point{7, 2}));
    EXPECT_EQ(cross[2].from, (Point{2, 7}));
    EXPECT_EQ(cross[2].to, (Point{2, -2}));
}

TEST(TrackChart, HugeAndNonFiniteValuesGiveHeldPixelsAndReadableText) {
    EXPECT_EQ(TruncateToPixel(3.9), 3);
    EXPECT_EQ(TruncateToPixel(-3.9), -3);
    EXPECT_EQ(TruncateToPixel(1e300), 16777216);
    EXPECT_EQ(TruncateToPixel(-std::numeric_limits<double>::infinity()), -16777216);
    EXPECT_EQ(TruncateToPixel(std::numeric_limits<double>::quiet_NaN()), -16777216);

    TrackFixture t = Example();
    const float inf = std::numeric_limits<float>::infinity();
    t.add(1e300, std::numeric_limits<double>::quiet_NaN(), inf, -inf, std::numeric_limits<float>::quiet_NaN(), 1e30f);
    RecordingCanvas canvas({0, 0, 200, 160});
    DrawTrackChart(canvas, t.data(), 2);
    const auto texts = canvas.opsOfKind(Kind::TextOut);
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[1].text, "V: inf m/s D: -inf deg A: nan / 1000000015047466219876688855040.0 m ");
    const auto cross = canvas.segments();
    ASSERT_FALSE(cross.empty());
    EXPECT_EQ(cross.back().to, (Point{16777216, -16777216}));
}

TEST(TrackChart, ExtentReadoutWidthsAndFrame) {
    EXPECT_EQ(TrackExtentReadout(1.852, 1852.0), "GPS XW:1.852, YH:1852.000");
    // A user locale with a decimal comma changes nothing.
    const std::string saved = std::setlocale(LC_NUMERIC, nullptr);
    if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8") != nullptr) {
        const std::string text = TrackMotionReadout(5.25, 90.0, 12.3, 45.6);
        std::setlocale(LC_NUMERIC, saved.c_str());
        EXPECT_EQ(text, "V: 5.2 m/s D: 90.0 deg A: 12.3 / 45.6 m ");
    }
    RecordingCanvas canvas({5, 7, 238, 179});
    DrawTrackFrame(canvas);
    const auto rects = canvas.opsOfKind(Kind::Rectangle);
    ASSERT_EQ(rects.size(), 2u);
    EXPECT_EQ(rects[0].rect, (Rect{5, 7, 238, 179}));
    EXPECT_EQ(rects[1].rect, (Rect{15, 17, 228, 169}));
    EXPECT_EQ(canvas.ops().size(), 2u);
}

}  // namespace
}  // namespace varnelo

namespace varnelo {
namespace {

TEST(TrackChart, ReadsTheFormsTrackThroughItsView) {
    const auto track = std::make_unique<GpsTrack>();
    track->x[1] = 10;
    track->y[1] = -20;
    track->max_x = 10;
    track->min_y = -20;
    track->speed[0] = 5.1444f;
    track->course[0] = 90.0f;
    track->altitude[0] = 12.3f;
    track->altitude2[0] = 45.6f;
    track->given[0] = 0x7F;  // every field carried, with a fix
    track->x[2] = 4;  // a slot past the count: not part of the polyline
    track->y[2] = -8;

    RecordingCanvas viaTrack({0, 0, 200, 160});
    DrawTrackChart(viaTrack, TrackChartDataOf(*track, 2), 0);
    RecordingCanvas viaFixture({0, 0, 200, 160});
    DrawTrackChart(viaFixture, Example().data(), 0);
    ASSERT_EQ(viaTrack.ops().size(), viaFixture.ops().size());
    for (std::size_t i = 0; i < viaTrack.ops().size(); ++i) {
        EXPECT_EQ(viaTrack.ops()[i].point, viaFixture.ops()[i].point) << i;
        EXPECT_EQ(viaTrack.ops()[i].text, viaFixture.ops()[i].text) << i;
    }

    // Any slot the track holds may be marked, listed or not.
    RecordingCanvas beyond({0, 0, 200, 160});
    DrawTrackChart(beyond, TrackChartDataOf(*track, 2), 2);
    EXPECT_EQ(test::PointsDrawnWith(beyond, DEFAULT_PEN).size(), 2u);
    EXPECT_EQ(beyond.segments().back().from, (Point{135, 95}));
}

}  // namespace
}  // namespace varnelo
