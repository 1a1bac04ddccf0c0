#include <gtest/gtest.h>

#include "charts/dialog_units.h"
#include "charts/palette.h"

namespace varnelo {
namespace {

TEST(Palette, ComponentsWrapAtEightBits) {
    // a runs 0, 50, ..., 250, then wraps to 44, 94, 144, 194.
    EXPECT_EQ(PaletteColour(0, 0), (Rgb{141, 57, 57}));
    EXPECT_EQ(PaletteColour(0, 1), (Rgb{91, 7, 7}));
    EXPECT_EQ(PaletteColour(0, 2), (Rgb{41, 213, 213}));
    EXPECT_EQ(PaletteColour(1, 6), (Rgb{211, 0, 0}));
    EXPECT_EQ(PaletteColour(2, 9), (Rgb{61, 190, 0}));
    EXPECT_EQ(PaletteColour(5, 5), (Rgb{60, 60, 5}));
    EXPECT_EQ(PaletteColour(6, 3), (Rgb{234, 0, 105}));
    EXPECT_EQ(PaletteColour(7, 0), (Rgb{192, 192, 192}));
    EXPECT_EQ(PaletteColour(8, 4), (Rgb{55, 184, 55}));
    EXPECT_EQ(PaletteColour(9, 7), (Rgb{0, 0, 0}));
    EXPECT_EQ(PaletteColour(10, 0), (Rgb{0, 0, 0}));
    EXPECT_EQ(PaletteColour(3, -1), (Rgb{0, 0, 0}));
}

TEST(Palette, EveryEntryHasAThinAndAThickPen) {
    constexpr PenPalette pens = MakePenPalette();
    for (int f = 0; f < PALETTE_FAMILIES; ++f) {
        for (int s = 0; s < PALETTE_SHADES; ++s) {
            EXPECT_EQ(pens.thin[f][s], (Pen{PaletteColour(f, s), 1}));
            EXPECT_EQ(pens.thick[f][s], (Pen{PaletteColour(f, s), 3}));
        }
    }
    EXPECT_EQ(CH1_CURVE_PEN, (Pen{{141, 57, 57}, 1}));
    EXPECT_EQ(CH2_CURVE_PEN, (Pen{{255, 0, 0}, 1}));
    EXPECT_EQ(REFLECTANCE_CURVE_PEN, (Pen{{255, 128, 0}, 1}));
    EXPECT_EQ(SPECTRUM_GRID_PEN, (Pen{{192, 192, 192}, 1}));
    EXPECT_EQ(TRACK_CROSS_PEN, CH2_CURVE_PEN);
}

TEST(DialogUnits, RoundToNearestPixel) {
    EXPECT_EQ(SpectrumFrameSize(), (PixelSize{586, 483}));
    EXPECT_EQ(TrackFrameSize(), (PixelSize{233, 172}));
    EXPECT_EQ(DialogUnitsToPixelsX(2), 4);   // 3.5 rounds up
    EXPECT_EQ(DialogUnitsToPixelsX(1), 2);   // 1.75
    EXPECT_EQ(DialogUnitsToPixelsY(4), 7);   // 6.5
    EXPECT_EQ(DialogUnitsToPixelsY(1), 2);   // 1.625
    EXPECT_EQ(DialogUnitsToPixelsX(-2), -4);
    EXPECT_EQ(DialogUnitsToPixelsY(486), 790);
}

}  // namespace
}  // namespace varnelo
