#include <gtest/gtest.h>

#include "charts/form_layout.h"

namespace varnelo {
namespace {

constexpr PixelSize FORM{851, 531};

bool Overlap(const PixelRect& a, const PixelRect& b) {
    return a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height && b.y < a.y + a.height;
}
int Right(const PixelRect& r) { return r.x + r.width; }
int Bottom(const PixelRect& r) { return r.y + r.height; }

TEST(FormLayout, TheChartsAndTheListTakeTheRoomAndNothingElseMovesApart) {
    const struct { const char* what; PixelSize room, form; } cases[] = {{"the form's own size", FORM, FORM},          {"smaller: scrolled", {400, 300}, FORM},
                 {"wider only", {1400, 531}, {1400, 531}},     {"taller only", {851, 1100}, {851, 1100}},
                 {"a large screen", {1920, 1120}, {1920, 1120}}};
    const FormLayout native = LayOutForm(FORM);
    for (std::size_t i = 0; i < FORM_CONTROL_COUNT; ++i)
        EXPECT_EQ(native.controls[i], DialogUnitsToPixels(FormControlUnits(static_cast<FormControl>(i)))) << i;
    for (const auto& c : cases) {
        const FormLayout l = LayOutForm(c.room);
        EXPECT_EQ(l.size, c.form) << c.what;
        for (std::size_t i = 0; i < FORM_CONTROL_COUNT; ++i) {
            const auto control = static_cast<FormControl>(i);
            const PixelRect &r = l.controls[i], &was = native.controls[i];
            const bool grows = control == FormControl::Spectrum || control == FormControl::RecordList || control == FormControl::Track;
            EXPECT_TRUE(grows || control == FormControl::Identity ? was.width <= r.width : was.width == r.width) << c.what << i;
            EXPECT_TRUE(grows ? was.height <= r.height : was.height == r.height) << c.what << " control " << i;
            EXPECT_TRUE(Right(r) <= l.size.width && Bottom(r) <= l.size.height) << c.what << " control " << i;
            for (std::size_t j = i + 1; j < FORM_CONTROL_COUNT; ++j)
                EXPECT_EQ(Overlap(r, l.controls[j]), Overlap(was, native.controls[j])) << c.what << " controls " << i << ", " << j;
        }
        // The margins and the gaps between neighbours stay as they were.
        const auto keeps = [&](int now, int before) { EXPECT_EQ(now, before) << c.what; };
        keeps(l.size.width - Right(l[FormControl::Track]), FORM.width - Right(native[FormControl::Track]));
        keeps(l.size.height - Bottom(l[FormControl::Spectrum]), FORM.height - Bottom(native[FormControl::Spectrum]));
        keeps(l.size.height - Bottom(l[FormControl::Track]), FORM.height - Bottom(native[FormControl::Track]));
        keeps(l[FormControl::Track].y - Bottom(l[FormControl::RecordList]), native[FormControl::Track].y - Bottom(native[FormControl::RecordList]));
        keeps(Right(l[FormControl::LimitBox]) - Right(l[FormControl::Spectrum]), Right(native[FormControl::LimitBox]) - Right(native[FormControl::Spectrum]));
        keeps(l[FormControl::LimitBox].x - Right(l[FormControl::Identity]), native[FormControl::LimitBox].x - Right(native[FormControl::Identity]));
    }
}

TEST(FormLayout, AChartIsScaledUniformlyAndLaidOutOverItsLongerWay) {
    const struct { PixelSize native, shown; double factor; Rect client; } cases[] = {
        {{586, 483}, {586, 483}, 1.0, {0, 0, 586, 483}},   {{586, 483}, {1172, 966}, 2.0, {0, 0, 586, 483}},
        {{586, 483}, {1172, 1200}, 2.0, {0, 0, 586, 600}}, {{233, 172}, {699, 344}, 2.0, {0, 0, 349, 172}},
        {{233, 172}, {233, 500}, 1.0, {0, 0, 233, 500}},
    };
    for (const auto& c : cases) {
        const ChartScale s = ScaleChart(c.native, c.shown);
        EXPECT_DOUBLE_EQ(s.factor, c.factor) << c.shown.width << "x" << c.shown.height;
        EXPECT_EQ(s.client, c.client) << c.shown.width << "x" << c.shown.height;
    }
    // The spectrum as the form grows it keeps its native width of nanometres.
    for (const PixelSize room : {PixelSize{1920, 1120}, PixelSize{1000, 1500}, PixelSize{3000, 600}}) {
        const PixelRect r = LayOutForm(room)[FormControl::Spectrum];
        EXPECT_EQ(ScaleChart({586, 483}, {r.width, r.height}).client.right, 586) << room.width << "x" << room.height;
    }
}

}  // namespace
}  // namespace varnelo
