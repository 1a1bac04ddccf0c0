#include "charts/colour_map.h"

#include <array>
#include <cmath>

namespace varnelo {

namespace {

constexpr std::array<Rgb, 11> VIRIDIS_STOPS = {{
    {0x44, 0x01, 0x54}, {0x48, 0x24, 0x75}, {0x41, 0x44, 0x87}, {0x35, 0x5f, 0x8d},
    {0x2a, 0x78, 0x8e}, {0x21, 0x91, 0x8c}, {0x22, 0xa8, 0x84}, {0x44, 0xbf, 0x70},
    {0x7a, 0xd1, 0x51}, {0xbd, 0xdf, 0x26}, {0xfd, 0xe7, 0x25},
}};

std::uint8_t Between(std::uint8_t a, std::uint8_t b, double f) {
    return static_cast<std::uint8_t>(std::lround(a + (b - a) * f));
}

}  // namespace

Rgb ViridisColour(double t) {
    if (!(t > 0.0)) return VIRIDIS_STOPS.front();
    if (t >= 1.0) return VIRIDIS_STOPS.back();
    const double at = t * static_cast<double>(VIRIDIS_STOPS.size() - 1);
    const auto i = static_cast<std::size_t>(at);
    const double f = at - static_cast<double>(i);
    const Rgb& a = VIRIDIS_STOPS[i];
    const Rgb& b = VIRIDIS_STOPS[i + 1];
    return {Between(a.red, b.red, f), Between(a.green, b.green, f), Between(a.blue, b.blue, f)};
}

}  // namespace varnelo
