#include <gtest/gtest.h>

#include "app/form_style.h"

namespace varnelo {
namespace {

TEST(FormStyle, ChartFramesKeepTheirPixelSizes) {
    EXPECT_EQ(DialogRect(SPECTRUM_FRAME_UNITS), QRect(12, 37, 586, 483));
    EXPECT_EQ(DialogRect(TRACK_FRAME_UNITS).size(), QSize(233, 172));
}

}  // namespace
}  // namespace varnelo
