#include <gtest/gtest.h>

#include "chart_test_support.h"
#include "charts/track_chart.h"

namespace varnelo {
namespace {

// A canvas that measures text as a font whose characters are five twelfths
// as wide as it is high, and remembers where each text went and its width.
class MeasuringCanvas : public RecordingCanvas {
public:
    using RecordingCanvas::RecordingCanvas;
    struct Text {
        Point origin;
        std::string text;
        int width;
    };
    int textPixels() const override { return 12; }
    int textWidth(std::string_view text, int pixels) const override { return static_cast<int>(text.size()) * pixels * 5 / 12; }
    void textOutSized(Point origin, std::string_view text, int pixels) override {
        texts.push_back({origin, std::string(text), textWidth(text, pixels)});
    }
    void textOutWithin(Point origin, std::string_view text, int right) override {
        int pixels = 12;
        while (textWidth(text, pixels) > right - origin.x && pixels > 7) --pixels;
        textOutSized(origin, text, pixels);
    }
    std::vector<Text> texts;
};

TEST(TrackFooter, TheThreeReadoutsStayApartAndInsideTheFrame) {
    const struct {
        const char* what;
        float value;  // speed, altitude and altitude 2
        int width;    // of the frame
        std::size_t lines;
    } cases[] = {
        {"small values at the native size: as always, one text", 1.5f, 233, 1},
        {"five-digit values at the native size", 12345.6f, 233, 3},
        {"five-digit values in a wide frame", 12345.6f, 600, 1},
        {"five-digit values in a narrow frame", 12345.6f, 140, 2},
    };
    for (const auto& c : cases) {
        test::TrackFixture t;
        t.max_x = 10;
        t.add(0, 0, c.value, 359.9f, c.value, c.value);
        t.add(10, 0, c.value, 359.9f, c.value, c.value);
        const Rect client{0, 0, c.width, 172};
        MeasuringCanvas canvas(client);
        DrawTrackChart(canvas, t.data(), 0);
        const TrackMotionParts parts = TrackMotionPartsOf(t.data(), 0);
        std::vector<MeasuringCanvas::Text> footer;
        for (const auto& text : canvas.texts)
            if (text.origin.y > client.bottom - 30) footer.push_back(text);
        ASSERT_EQ(footer.size(), c.lines) << c.what;
        std::string all;
        for (std::size_t i = 0; i < footer.size(); ++i) {
            const auto& text = footer[i];
            all += text.text + " ";
            const std::size_t trailing = text.text.back() == ' ' ? 5 : 0;  // the final blank shows nothing
            EXPECT_GE(text.origin.x, client.left + 10) << c.what;
            EXPECT_LE(text.origin.x + text.width - static_cast<int>(trailing), client.right - TRACK_TEXT_MARGIN) << c.what;
            if (i > 0 && footer[i - 1].origin.y == text.origin.y) {
                EXPECT_GE(text.origin.x, footer[i - 1].origin.x + footer[i - 1].width + 2) << c.what << ": apart";
            }
        }
        for (const std::string& part : parts) EXPECT_NE(all.find(part + " "), std::string::npos) << c.what << ": " << part;
    }
}

}  // namespace
}  // namespace varnelo
