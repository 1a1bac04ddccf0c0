#pragma once
// Where the sun stands for an observer: its zenith angle and azimuth at a
// UTC instant and a position, geometric (no refraction: the air's bending
// depends on a pressure and temperature the logger does not record).
//
// The sun's apparent place follows Meeus, Astronomical Algorithms (2nd ed.,
// 1998), ch. 25 (the solar coordinates to 0.01°), ch. 22 (nutation, its
// four largest terms) and ch. 12 (sidereal time), the method of NOAA's
// solar calculator; the observer's parallax is applied to the elevation.
// Against NREL's SPA (Reda & Andreas 2004) it agrees to about 0.01°, far
// within what a 60° zenith threshold or a cosine correction needs.

#include <optional>

namespace varnelo {

struct SunPosition {
    double zenith = 0.0;   // degrees from the vertical, 0..180
    double azimuth = 0.0;  // degrees clockwise from north, [0, 360)
};

// TT - UT: near 69 s through the 2020s. An error of a minute moves the sun
// by less than 0.001° along its path, since the Earth's turning is reckoned
// from UT itself.
inline constexpr double DEFAULT_DELTA_T = 69.0;

// `utcSeconds` since 1970-01-01T00:00:00Z; latitude north and longitude
// east in degrees.
SunPosition SolarPosition(double utcSeconds, double latitude, double longitude, double deltaT = DEFAULT_DELTA_T);

}  // namespace varnelo
