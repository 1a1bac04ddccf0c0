#include "analysis/panel_calibration.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace varnelo {
namespace {

ReflectanceArray Flat(double value) {
    ReflectanceArray a;
    a.fill(value);
    return a;
}

TEST(PanelCalibration, InterpolatesThePanelInTime) {
    constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
    PanelCalibration panel({3, 7, 8, 9}, Flat(0.5));
    panel.addPanel(100.0, Flat(0.8));
    ReflectanceArray dark = Flat(0.4);
    dark[10] = 0.0;  // a reference that saw no light there
    dark[11] = NaN;
    panel.addPanel(200.0, dark);
    ReflectanceArray bright = Flat(0.6);
    bright[11] = NaN;
    panel.addPanel(200.0, bright);       // the same second: averaged
    panel.addPanel(std::nullopt, Flat(9));  // no real time: not placed
    const std::size_t all[] = {0, 10, 11};
    const struct {
        const char* name;
        std::optional<double> seconds;
        double r0, r10, r11;  // R' of a record of R = 1
    } cases[] = {
        {"before the first", 50.0, 0.5 / 0.8, 0.5 / 0.8, 0.5 / 0.8},
        {"at a panel's own time", 100.0, 0.5 / 0.8, 0.5 / 0.8, 0.5 / 0.8},
        {"between two", 150.0, 0.5 / 0.65, 0.5 / (0.8 + 0.5 * (0.3 - 0.8)), NaN},
        {"at two panels of one second", 200.0, 0.5 / 0.5, 0.5 / 0.3, NaN},
        {"after the last", 300.0, 1.0, 0.5 / 0.3, NaN},
        {"without a real time", std::nullopt, NaN, NaN, NaN},
    };
    for (const auto& c : cases) {
        ReflectanceArray r = Flat(1.0);
        panel.apply(c.seconds, r, all);
        const double expected[] = {c.r0, c.r10, c.r11};
        for (std::size_t k = 0; k < 3; ++k) {
            if (std::isnan(expected[k])) {
                EXPECT_TRUE(std::isnan(r[all[k]])) << c.name << " at " << all[k];
            } else {
                EXPECT_NEAR(r[all[k]], expected[k], 1e-12) << c.name << " at " << all[k];
            }
        }
        EXPECT_EQ(r[1], 1.0) << "an element not asked for is left alone";
    }
    PanelCalibration dim({0}, Flat(0.5));
    dim.addPanel(100.0, Flat(0.0));  // P = 0: undefined, not infinite
    ReflectanceArray r = Flat(1.0);
    dim.apply(100.0, r, all);
    EXPECT_TRUE(std::isnan(r[0]));
    EXPECT_TRUE(panel.isPanel(8));
    EXPECT_FALSE(panel.isPanel(4));
}

TEST(PanelCalibration, ListsAndCertifiedReflectances) {
    std::string error;
    EXPECT_EQ(ParsePanelList("39,0,20-21,21", error), (std::vector<int>{0, 20, 21, 39}));
    EXPECT_EQ(PanelListText({0, 20, 21, 22, 39}), "0,20-22,39");
    for (const char* bad : {"", "3-1", "a", "1,,2", "-1", "15000"}) {
        EXPECT_FALSE(ParsePanelList(bad, error)) << bad;
        EXPECT_NE(error.find("--panel"), std::string::npos);
    }
    EXPECT_EQ((*ParsePanelReflectance("0.99", {}, {}, false, error))[510], 0.99);
    EXPECT_FALSE(ParsePanelReflectance("0", {}, {}, false, error));
    const auto table = ParsePanelReflectance({}, "nm,rho\n300,0.9\n900,0.96\n", "panel.csv", true, error);
    ASSERT_TRUE(table) << error;
    EXPECT_NEAR((*table)[0], 0.9 + 0.06 * 40 / 600, 1e-12);
    EXPECT_FALSE(ParsePanelReflectance({}, "nm,rho\n341,0.9\n900,0.96\n", "panel.csv", true, error));
    EXPECT_NE(error.find("does not cover 340..850"), std::string::npos) << error;
}

}  // namespace
}  // namespace varnelo
