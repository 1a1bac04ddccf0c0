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
    for (std::size_t i = 0; i < FORM_PART_COUNT; ++i)
        EXPECT_EQ(native.parts[i], DialogUnitsToPixels(FormPartUnits(static_cast<FormPart>(i)))) << i;
    for (const auto& c : cases) {
        const FormLayout l = LayOutForm(c.room);
        EXPECT_EQ(l.size, c.form) << c.what;
        for (std::size_t i = 0; i < FORM_PART_COUNT; ++i) {
            const auto part = static_cast<FormPart>(i);
            const PixelRect &r = l.parts[i], &was = native.parts[i];
            const bool grows = part == FormPart::Spectrum || part == FormPart::RecordList || part == FormPart::Track;
            EXPECT_TRUE(grows || part == FormPart::Identity ? was.width <= r.width : was.width == r.width) << c.what << i;
            EXPECT_TRUE(grows ? was.height <= r.height : was.height == r.height) << c.what << " part " << i;
            EXPECT_TRUE(Right(r) <= l.size.width && Bottom(r) <= l.size.height) << c.what << " part " << i;
            for (std::size_t j = i + 1; j < FORM_PART_COUNT; ++j)
                EXPECT_EQ(Overlap(r, l.parts[j]), Overlap(was, native.parts[j])) << c.what << " parts " << i << ", " << j;
        }
        // The margins and the gaps between neighbours stay as they were.
        const auto keeps = [&](int now, int before) { EXPECT_EQ(now, before) << c.what; };
        keeps(l.size.width - Right(l[FormPart::Track]), FORM.width - Right(native[FormPart::Track]));
        keeps(l.size.height - Bottom(l[FormPart::Spectrum]), FORM.height - Bottom(native[FormPart::Spectrum]));
        keeps(l.size.height - Bottom(l[FormPart::Track]), FORM.height - Bottom(native[FormPart::Track]));
        keeps(l[FormPart::Track].y - Bottom(l[FormPart::RecordList]), native[FormPart::Track].y - Bottom(native[FormPart::RecordList]));
        keeps(Right(l[FormPart::LimitBox]) - Right(l[FormPart::Spectrum]), Right(native[FormPart::LimitBox]) - Right(native[FormPart::Spectrum]));
        keeps(l[FormPart::LimitBox].x - Right(l[FormPart::Identity]), native[FormPart::LimitBox].x - Right(native[FormPart::Identity]));
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
        const PixelRect r = LayOutForm(room)[FormPart::Spectrum];
        EXPECT_EQ(ScaleChart({586, 483}, {r.width, r.height}).client.right, 586) << room.width << "x" << room.height;
    }
}

}  // namespace
}  // namespace varnelo
