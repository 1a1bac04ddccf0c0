#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "charts/colour_map.h"
#include "charts/palette.h"
#include "charts/track_chart.h"
#include "chart_test_support.h"

namespace varnelo {
namespace {

using Kind = CanvasOp::Kind;

constexpr Rgb VIRIDIS_LOW{0x44, 0x01, 0x54};
constexpr Rgb VIRIDIS_MIDDLE{0x21, 0x91, 0x8c};
constexpr Rgb VIRIDIS_HIGH{0xfd, 0xe7, 0x25};

// Four records across the worked example's extents (0..10 across, -20..0 down).
test::TrackFixture FourRecords() {
    test::TrackFixture t;
    t.max_x = 10;
    t.min_y = -20;
    for (const auto& [x, y] : {std::pair{0.0, 0.0}, {10.0, -20.0}, {5.0, -10.0}, {2.0, -4.0}}) t.add(x, y);
    return t;
}

// What is left of a drawing without its fills and the given texts.
std::vector<CanvasOp> Without(const RecordingCanvas& canvas, const std::vector<std::string>& texts) {
    std::vector<CanvasOp> out;
    for (const CanvasOp& op : canvas.ops()) {
        const bool scaleText = op.kind == Kind::TextOut && std::find(texts.begin(), texts.end(), op.text) != texts.end();
        if (op.kind != Kind::FillRect && !scaleText) out.push_back(op);
    }
    return out;
}

bool SameOps(const std::vector<CanvasOp>& a, const std::vector<CanvasOp>& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const CanvasOp& p, const CanvasOp& q) {
        return p.kind == q.kind && p.rect == q.rect && p.point == q.point && p.text == q.text && p.pen == q.pen;
    });
}

TEST(TrackColouring, EachRecordsDotHasTheMapColourOfItsValueOverThePlainTrack) {
    const struct {
        const char* what;
        std::vector<IndexValue> values;
        std::vector<std::optional<Rgb>> dots;  // per record; none: no dot
        std::vector<std::string> scale;        // max, min, name; empty: no scale
    } cases[] = {
        {"low, none, high, middle", {0.2, std::nullopt, 0.8, 0.5},
         {VIRIDIS_LOW, std::nullopt, VIRIDIS_HIGH, VIRIDIS_MIDDLE}, {"0.800", "0.200", "NDVI"}},
        {"all alike: the middle colour", {0.3, 0.3, 0.3, 0.3},
         {VIRIDIS_MIDDLE, VIRIDIS_MIDDLE, VIRIDIS_MIDDLE, VIRIDIS_MIDDLE}, {"0.300", "0.300", "NDVI"}},
        {"no value anywhere: the plain chart", {std::nullopt, std::nullopt, std::nullopt, std::nullopt},
         {std::nullopt, std::nullopt, std::nullopt, std::nullopt}, {}},
        {"fewer values than records", {0.0, 1.0}, {VIRIDIS_LOW, VIRIDIS_HIGH, std::nullopt, std::nullopt},
         {"1.000", "0.000", "NDVI"}},
    };
    const Rect client{0, 0, 200, 160};
    for (const auto& c : cases) {
        const test::TrackFixture track = FourRecords();
        RecordingCanvas plain(client);
        DrawTrackChart(plain, track.data(), 1);
        RecordingCanvas coloured(client);
        DrawTrackChart(coloured, track.data(), 1, MakeTrackColouring(NDVI, c.values));

        EXPECT_TRUE(SameOps(Without(coloured, c.scale), plain.ops())) << c.what << ": the plain chart lies beneath";
        const TrackGeometry g = ComputeTrackGeometry(client, track.data());
        std::vector<CanvasOp> dots;
        for (const CanvasOp& op : coloured.opsOfKind(Kind::FillRect))
            if (op.rect.right - op.rect.left == TRACK_DOT_SIDE && op.rect.bottom - op.rect.top == TRACK_DOT_SIDE) dots.push_back(op);
        std::size_t next = 0;
        for (std::size_t i = 0; i < c.dots.size(); ++i) {
            if (!c.dots[i]) continue;
            ASSERT_LT(next, dots.size()) << c.what;
            const Point p = MapTrackPoint(g, track.x[i], track.y[i]);
            EXPECT_EQ(dots[next].rect, (Rect{p.x - 1, p.y - 1, p.x + 2, p.y + 2})) << c.what << " record " << i;
            EXPECT_EQ(dots[next].fill, *c.dots[i]) << c.what << " record " << i;
            ++next;
        }
        EXPECT_EQ(next, dots.size()) << c.what;

        // The cross is drawn last, over every dot.
        const auto& ops = coloured.ops();
        const auto cross = std::find_if(ops.begin(), ops.end(), [](const CanvasOp& op) {
            return op.kind == Kind::SelectPen && op.pen == TRACK_CROSS_PEN;
        });
        EXPECT_TRUE(std::none_of(cross, ops.end(), [](const CanvasOp& op) { return op.kind == Kind::FillRect; })) << c.what;

        // The scale: largest value on top, the bar from the map's top colour down to its bottom one.
        std::vector<CanvasOp> bar;
        for (const CanvasOp& op : coloured.opsOfKind(Kind::FillRect))
            if (op.rect.bottom - op.rect.top == 1) bar.push_back(op);
        if (c.scale.empty()) {
            EXPECT_TRUE(bar.empty()) << c.what;
            continue;
        }
        ASSERT_GT(bar.size(), 20u) << c.what;
        EXPECT_EQ(bar.front().fill, VIRIDIS_HIGH) << c.what;
        EXPECT_EQ(bar.back().fill, VIRIDIS_LOW) << c.what;
        const CanvasOp* top = coloured.findText(c.scale[0]);
        const auto last = std::find_if(ops.rbegin(), ops.rend(), [&](const CanvasOp& op) { return op.text == c.scale[1]; });
        const CanvasOp* bottom = last == ops.rend() ? nullptr : &*last;
        ASSERT_TRUE(top && bottom && coloured.findText(c.scale[2])) << c.what;
        EXPECT_LT(top->point.y, bar.front().rect.top);
        EXPECT_GE(bottom->point.y, bar.back().rect.bottom);
        EXPECT_LT(bar.front().rect.right, g.inner.left + 20) << "at the inner frame's left";
    }
}

TEST(TrackColouring, ViridisRunsFromDarkToLightThroughItsStops) {
    const struct {
        double t;
        Rgb colour;
    } stops[] = {{-1.0, VIRIDIS_LOW}, {0.0, VIRIDIS_LOW}, {0.1, {0x48, 0x24, 0x75}}, {0.5, VIRIDIS_MIDDLE},
                 {0.05, {0x46, 0x13, 0x65}}, {1.0, VIRIDIS_HIGH}, {2.0, VIRIDIS_HIGH}};
    for (const auto& s : stops) EXPECT_EQ(ViridisColour(s.t), s.colour) << s.t;
    // Lightness (a plain luma) never falls as the value grows.
    double previous = -1;
    for (int i = 0; i <= 100; ++i) {
        const Rgb c = ViridisColour(i / 100.0);
        const double luma = 0.2126 * c.red + 0.7152 * c.green + 0.0722 * c.blue;
        EXPECT_GE(luma, previous) << i;
        previous = luma;
    }
}

}  // namespace
}  // namespace varnelo
