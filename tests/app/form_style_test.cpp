#include <gtest/gtest.h>

#include "app/form_style.h"
#include "charts/dialog_units.h"

namespace varnelo {
namespace {

// The pixel sizes themselves are pinned in the core (palette_test.cpp): the
// form places the frames where the dialog units say, at the core's sizes.
TEST(FormStyle, ChartFramesSitWhereTheirUnitsSayAtTheCoresSizes) {
    const PixelSize spectrum = SpectrumFrameSize();
    const PixelSize track = TrackFrameSize();
    EXPECT_EQ(DialogRect(SPECTRUM_FRAME_UNITS), QRect(12, 37, spectrum.width, spectrum.height));
    EXPECT_EQ(DialogRect(TRACK_FRAME_UNITS).size(), QSize(track.width, track.height));
}

}  // namespace
}  // namespace varnelo
