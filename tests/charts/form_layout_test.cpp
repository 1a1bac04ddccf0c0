#include <gtest/gtest.h>

#include "charts/form_layout.h"

namespace varnelo {
namespace {

constexpr PixelSize FORM{851, 531};

bool Overlap(const PixelRect& a, const PixelRect& b) {
    return a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height && b.y < a.y + a.height;
}

TEST(FormLayout, TheChartsAndTheListTakeTheRoomAndNothingElseMovesApart) {
    const struct {
        const char* what;
        PixelSize room;
        PixelSize form;
    } cases[] = {
        {"the form's own size", FORM, FORM},
        {"smaller: the form scrolls at its own size", {400, 300}, FORM},
        {"wider only", {1400, 531}, {1400, 531}},
        {"taller only", {851, 1100}, {851, 1100}},
        {"a large screen", {1920, 1120}, {1920, 1120}},
    };
    const FormLayout native = LayOutForm(FORM);
    for (std::size_t i = 0; i < FORM_PART_COUNT; ++i)
        EXPECT_EQ(native.parts[i], DialogUnitsToPixels(FormPartUnits(static_cast<FormPart>(i)))) << i;
    for (const auto& c : cases) {
        const FormLayout l = LayOutForm(c.room);
        EXPECT_EQ(l.size, c.form) << c.what;
        for (std::size_t i = 0; i < FORM_PART_COUNT; ++i) {
            const auto part = static_cast<FormPart>(i);
            const PixelRect& r = l.parts[i];
            const PixelRect& was = native.parts[i];
            const bool grows = part == FormPart::Spectrum || part == FormPart::RecordList || part == FormPart::Track;
            EXPECT_EQ(grows ? was.width <= r.width : was.width == r.width, true) << c.what << " part " << i;
            EXPECT_EQ(grows ? was.height <= r.height : was.height == r.height, true) << c.what << " part " << i;
            EXPECT_LE(r.x + r.width, l.size.width) << c.what << " part " << i;
            EXPECT_LE(r.y + r.height, l.size.height) << c.what << " part " << i;
            for (std::size_t j = i + 1; j < FORM_PART_COUNT; ++j)
                EXPECT_EQ(Overlap(r, l.parts[j]), Overlap(was, native.parts[j])) << c.what << " parts " << i << ", " << j;
        }
        // The margins at the right and the bottom stay as they were.
        const auto right = [](const PixelRect& r) { return r.x + r.width; };
        const auto bottom = [](const PixelRect& r) { return r.y + r.height; };
        EXPECT_EQ(l.size.width - right(l[FormPart::Track]), FORM.width - right(native[FormPart::Track])) << c.what;
        EXPECT_EQ(l.size.height - bottom(l[FormPart::Spectrum]), FORM.height - bottom(native[FormPart::Spectrum]));
        EXPECT_EQ(l.size.height - bottom(l[FormPart::Track]), FORM.height - bottom(native[FormPart::Track])) << c.what;
        EXPECT_EQ(l[FormPart::Track].y - bottom(l[FormPart::RecordList]),
                  native[FormPart::Track].y - bottom(native[FormPart::RecordList])) << c.what;
        EXPECT_EQ(right(l[FormPart::LimitBox]) - right(l[FormPart::Spectrum]),
                  right(native[FormPart::LimitBox]) - right(native[FormPart::Spectrum])) << c.what;
    }
}

TEST(FormLayout, AChartIsScaledUniformlyAndLaidOutOverItsLongerWay) {
    const struct {
        PixelSize native, shown;
        double factor;
        Rect client;
    } cases[] = {
        {{586, 483}, {586, 483}, 1.0, {0, 0, 586, 483}},
        {{586, 483}, {1172, 966}, 2.0, {0, 0, 586, 483}},
        {{586, 483}, {1172, 1200}, 2.0, {0, 0, 586, 600}},
        {{233, 172}, {699, 344}, 2.0, {0, 0, 349, 172}},
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
