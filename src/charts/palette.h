#pragma once
// The colour table of the main form: ten colour families of ten shades, each
// with a thin (1 pixel) and a thick (3 pixel) solid pen. The charts select
// four of the thin shade-0 pens; the rest stay available.

#include <array>

#include "charts/canvas.h"

namespace varnelo {

inline constexpr int PALETTE_FAMILIES = 10;
inline constexpr int PALETTE_SHADES = 10;
inline constexpr int THIN_PEN_WIDTH = 1;
inline constexpr int THICK_PEN_WIDTH = 3;

namespace detail {
// Components wrap at 8 bits on purpose: shade 1 of family 0 has a green of
// 57 - 50 = 7, shade 2 one of 57 - 100 = 213.
constexpr std::uint8_t Wrap8(int v) { return static_cast<std::uint8_t>(v & 0xFF); }
}  // namespace detail

// Family 0..9, shade 0..9; anything else gives black.
constexpr Rgb PaletteColour(int family, int shade) {
    if (family < 0 || family >= PALETTE_FAMILIES || shade < 0 || shade >= PALETTE_SHADES) return Rgb{};
    const int a = (50 * shade) % 256;
    using detail::Wrap8;
    switch (family) {
        case 0: return {Wrap8(141 - a), Wrap8(57 - a), Wrap8(57 - a)};
        case 1: return {Wrap8(255 - a), 0, 0};
        case 2: return {Wrap8(255 - a), Wrap8(128 - a), 0};
        case 3: return {Wrap8(255 - a), Wrap8(255 - a), 0};
        case 4: return {0, Wrap8(255 - a), 0};
        case 5: return {60, 60, Wrap8(255 - a)};
        case 6: return {Wrap8(128 - a), 0, Wrap8(255 - a)};
        case 7: return {Wrap8(192 - a), Wrap8(192 - a), Wrap8(192 - a)};
        case 8: return {Wrap8(255 - a), Wrap8(128 - a), Wrap8(255 - a)};
        default: return {0, 0, 0};
    }
}

constexpr Pen ThinPen(int family, int shade) { return Pen{PaletteColour(family, shade), THIN_PEN_WIDTH}; }
constexpr Pen ThickPen(int family, int shade) { return Pen{PaletteColour(family, shade), THICK_PEN_WIDTH}; }

// Every pen of the table, as the form keeps them.
struct PenPalette {
    std::array<std::array<Pen, PALETTE_SHADES>, PALETTE_FAMILIES> thin;
    std::array<std::array<Pen, PALETTE_SHADES>, PALETTE_FAMILIES> thick;
};

constexpr PenPalette MakePenPalette() {
    PenPalette p{};
    for (int f = 0; f < PALETTE_FAMILIES; ++f) {
        for (int s = 0; s < PALETTE_SHADES; ++s) {
            p.thin[f][s] = ThinPen(f, s);
            p.thick[f][s] = ThickPen(f, s);
        }
    }
    return p;
}

// The pens the charts draw with.
inline constexpr Pen CH1_CURVE_PEN = ThinPen(0, 0);          // (141, 57, 57)
inline constexpr Pen CH2_CURVE_PEN = ThinPen(1, 0);          // (255, 0, 0)
inline constexpr Pen REFLECTANCE_CURVE_PEN = ThinPen(2, 0);  // (255, 128, 0)
inline constexpr Pen SPECTRUM_GRID_PEN = ThinPen(7, 0);      // (192, 192, 192)
inline constexpr Pen TRACK_CROSS_PEN = ThinPen(1, 0);        // (255, 0, 0)

}  // namespace varnelo
