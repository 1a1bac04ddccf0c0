#include "analysis/solar_position.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace varnelo {

namespace {

constexpr double RAD = std::numbers::pi / 180.0;
constexpr double UNIX_EPOCH_JD = 2440587.5;
constexpr double J2000 = 2451545.0;
// The sun's equatorial horizontal parallax at one astronomical unit.
constexpr double SOLAR_PARALLAX = 8.794 / 3600.0;

double Degrees360(double degrees) {
    const double d = std::fmod(degrees, 360.0);
    return d < 0.0 ? d + 360.0 : d;
}

}  // namespace

SunPosition SolarPosition(double utcSeconds, double latitude, double longitude, double deltaT) {
    const double jd = utcSeconds / 86400.0 + UNIX_EPOCH_JD;
    const double t = (jd + deltaT / 86400.0 - J2000) / 36525.0;  // Julian centuries of TT
    const double tu = (jd - J2000) / 36525.0;                    // and of UT, for the Earth's turning

    // Meeus 25.2-25.5: the sun's geometric longitude and distance.
    const double l0 = 280.46646 + t * (36000.76983 + t * 0.0003032);
    const double m = (357.52911 + t * (35999.05029 - t * 0.0001537)) * RAD;
    const double e = 0.016708634 - t * (0.000042037 + t * 0.0000001267);
    const double c = (1.914602 - t * (0.004817 + t * 0.000014)) * std::sin(m) +
                     (0.019993 - t * 0.000101) * std::sin(2 * m) + 0.000289 * std::sin(3 * m);
    const double trueLongitude = l0 + c;
    const double anomaly = m + c * RAD;
    const double distance = 1.000001018 * (1 - e * e) / (1 + e * std::cos(anomaly));

    // Meeus 22: nutation and the obliquity of the ecliptic.
    const double omega = (125.04452 - t * 1934.136261) * RAD;
    const double moonLongitude = (218.3165 + t * 481267.8813) * RAD;
    const double nutationLongitude = (-17.20 * std::sin(omega) - 1.32 * std::sin(2 * l0 * RAD) -
                                      0.23 * std::sin(2 * moonLongitude) + 0.21 * std::sin(2 * omega)) /
                                     3600.0;
    const double nutationObliquity = (9.20 * std::cos(omega) + 0.57 * std::cos(2 * l0 * RAD) +
                                      0.10 * std::cos(2 * moonLongitude) - 0.09 * std::cos(2 * omega)) /
                                     3600.0;
    const double meanObliquity = 23.0 + (26.0 + (21.448 - t * (46.8150 + t * (0.00059 - t * 0.001813))) / 60.0) / 60.0;
    const double obliquity = (meanObliquity + nutationObliquity) * RAD;

    // Apparent longitude: nutation and aberration (20.4898" / R).
    const double lambda = (trueLongitude + nutationLongitude - 20.4898 / 3600.0 / distance) * RAD;
    const double rightAscension = std::atan2(std::cos(obliquity) * std::sin(lambda), std::cos(lambda));
    const double declination = std::asin(std::sin(obliquity) * std::sin(lambda));

    // Meeus 12.4: apparent sidereal time at Greenwich, then the local hour angle.
    const double meanSidereal = 280.46061837 + 360.98564736629 * (jd - J2000) + tu * tu * (0.000387933 - tu / 38710000.0);
    const double apparentSidereal = meanSidereal + nutationLongitude * std::cos(obliquity);
    const double hourAngle = Degrees360(apparentSidereal + longitude - rightAscension / RAD) * RAD;

    const double phi = latitude * RAD;
    const double cosZenith =
        std::sin(phi) * std::sin(declination) + std::cos(phi) * std::cos(declination) * std::cos(hourAngle);
    double elevation = 90.0 - std::acos(std::clamp(cosZenith, -1.0, 1.0)) / RAD;
    // Seen from the surface, not the Earth's centre, the sun stands lower
    // by its parallax times the cosine of its elevation.
    elevation -= SOLAR_PARALLAX / distance * std::cos(elevation * RAD);
    const double azimuth = std::atan2(std::sin(hourAngle), std::cos(hourAngle) * std::sin(phi) -
                                                               std::tan(declination) * std::cos(phi)) /
                               RAD +
                           180.0;
    return SunPosition{90.0 - elevation, Degrees360(azimuth)};
}

}  // namespace varnelo
