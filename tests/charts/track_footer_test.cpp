#include <gtest/gtest.h>

#include "chart_test_support.h"
#include "charts/track_chart.h"

namespace varnelo {
namespace {

// Text measured as a font whose characters are 5/12 as wide as it is high;
// each text remembered with where it went and how wide it was.
struct MeasuringCanvas : RecordingCanvas {
    using RecordingCanvas::RecordingCanvas;
    int textPixels() const override { return 12; }
    int textWidth(std::string_view text, int pixels) const override { return static_cast<int>(text.size()) * pixels * 5 / 12; }
    void textOutSized(Point origin, std::string_view text, int pixels) override {
        // The final blank of the readout shows nothing: it is not counted.
        const int blank = !text.empty() && text.back() == ' ' ? textWidth(" ", pixels) : 0;
        texts.push_back({origin, std::string(text), origin.x + textWidth(text, pixels) - blank});
    }
    void textOutWithin(Point origin, std::string_view text, int right) override {
        int pixels = 12;
        while (textWidth(text, pixels) > right - origin.x && pixels > 7) --pixels;
        textOutSized(origin, text, pixels);
    }
    struct Text { Point origin; std::string text; int right; };
    std::vector<Text> texts;
};

TEST(TrackFooter, TheThreeReadoutsStayApartAndInsideTheFrame) {
    // value: the speed's and both altitudes'; width: the frame's.
    const struct { const char* what; float value; int width; std::size_t texts; } cases[] = {
        {"small values at the native size: one text, as always", 1.5f, 233, 1},
        {"five-digit values at the native size", 12345.6f, 233, 3},
        {"five-digit values in a wide frame", 12345.6f, 600, 1},
        {"five-digit values in a narrow frame", 12345.6f, 140, 2},
    };
    for (const auto& c : cases) {
        test::TrackFixture t;
        t.max_x = 10;
        for (const double x : {0.0, 10.0}) t.add(x, 0, c.value, 359.9f, c.value, c.value);
        MeasuringCanvas canvas({0, 0, c.width, 172});
        DrawTrackChart(canvas, t.data(), 0);
        std::string all;
        const MeasuringCanvas::Text* previous = nullptr;
        for (const auto& text : canvas.texts) {
            if (text.origin.y <= 172 - 30) continue;  // above the footer
            all += text.text + " ";
            EXPECT_TRUE(text.origin.x >= 10 && text.right <= c.width - TRACK_TEXT_MARGIN) << c.what << ": " << text.text;
            if (previous && previous->origin.y == text.origin.y) {
                EXPECT_GE(text.origin.x, previous->right + 2) << c.what << ": apart";
            }
            previous = &text;
        }
        for (const std::string& part : TrackMotionPartsOf(t.data(), 0)) EXPECT_NE(all.find(part + " "), std::string::npos) << c.what;
        EXPECT_EQ(canvas.texts.size() - 1, c.texts) << c.what;  // less the extent readout above
    }
}

}  // namespace
}  // namespace varnelo
