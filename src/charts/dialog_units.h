#pragma once
// Forms are laid out in dialog units of a 10-point Japanese monospace dialog
// font whose cell is 7 x 13 pixels at 96 dpi: 4 horizontal units per cell
// width, 8 vertical units per cell height. One conversion for every form and
// for the rendered charts, so a chart has the same size everywhere.

namespace varnelo {

struct PixelSize {
    int width = 0;
    int height = 0;
    friend constexpr bool operator==(PixelSize, PixelSize) = default;
};

struct DialogUnitRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

namespace detail {
// num * units / den rounded to nearest, halves away from zero.
constexpr int ScaleRounded(int units, int num, int den) {
    const long long p = static_cast<long long>(units) * num;
    return static_cast<int>(p >= 0 ? (p + den / 2) / den : -((-p + den / 2) / den));
}
}  // namespace detail

constexpr int DialogUnitsToPixelsX(int units) { return detail::ScaleRounded(units, 7, 4); }
constexpr int DialogUnitsToPixelsY(int units) { return detail::ScaleRounded(units, 13, 8); }

constexpr PixelSize DialogSizeToPixels(int widthUnits, int heightUnits) {
    return {DialogUnitsToPixelsX(widthUnits), DialogUnitsToPixelsY(heightUnits)};
}

// The two chart frames of the main form.
inline constexpr DialogUnitRect SPECTRUM_FRAME_UNITS{7, 23, 335, 297};
inline constexpr DialogUnitRect TRACK_FRAME_UNITS{346, 214, 133, 106};

constexpr PixelSize SpectrumFrameSize() { return DialogSizeToPixels(SPECTRUM_FRAME_UNITS.width, SPECTRUM_FRAME_UNITS.height); }
constexpr PixelSize TrackFrameSize() { return DialogSizeToPixels(TRACK_FRAME_UNITS.width, TRACK_FRAME_UNITS.height); }

static_assert(SpectrumFrameSize() == PixelSize{586, 483});
static_assert(TrackFrameSize() == PixelSize{233, 172});

}  // namespace varnelo
