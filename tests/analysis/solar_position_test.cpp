#include "analysis/solar_position.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>

namespace varnelo {
namespace {

using namespace std::chrono;

double Seconds(year_month_day date, int h, int m, int s) {
    return static_cast<double>(duration_cast<seconds>(sys_days{date}.time_since_epoch()).count() + h * 3600 +
                               m * 60 + s);
}

TEST(SolarPosition, AgreesWithPublishedReferences) {
    const struct {
        const char* name;
        double utc, latitude, longitude, deltaT;
        double zenith, azimuth;  // geometric, to 0.01°; no azimuth to check overhead or at the pole
    } cases[] = {
        // NREL SPA's own example (Reda & Andreas 2004, table A5.1): topocentric
        // zenith 50.11162°, azimuth 194.34024°; without its refraction at
        // 820 mbar and 11 °C (0.01633°) the geometric zenith is 50.12795°.
        {"SPA, Golden, Colorado", Seconds(2003y / October / 17, 19, 30, 30), 39.742476, -105.1786, 67, 50.12795,
         194.34024},
        // Meeus example 25.b: apparent declination -7°47'01.74" at 1992-10-13
        // 0h TT, so at the North Pole the sun stands 97.78382° from the zenith.
        {"Meeus 25.b, North Pole", Seconds(1992y / October / 12, 23, 59, 1), 90.0, 0.0, 59, 97.78382, NAN},
        // Meeus example 28.a: the equation of time then is +13m42.6s
        // (3.42735°), so the sun is overhead at latitude -7.78382° and
        // longitude -(15° · 11.98361 h + 3.42735°) + 360° = 176.81842°.
        {"Meeus 28.a, subsolar point", Seconds(1992y / October / 12, 23, 59, 1), -7.78382, 176.81842, 59, 0.0, NAN},
    };
    for (const auto& c : cases) {
        const SunPosition sun = SolarPosition(c.utc, c.latitude, c.longitude, c.deltaT);
        EXPECT_NEAR(sun.zenith, c.zenith, 0.01) << c.name;
        if (!std::isnan(c.azimuth)) {
            EXPECT_NEAR(sun.azimuth, c.azimuth, 0.01) << c.name;
        }
        EXPECT_GE(sun.azimuth, 0.0);
        EXPECT_LT(sun.azimuth, 360.0);
    }
}

}  // namespace
}  // namespace varnelo
