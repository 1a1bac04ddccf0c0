#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "analysis/grouping.h"
#include "analysis/quality_flags.h"
#include "analysis/satellite_bands.h"
#include "analysis/savitzky_golay.h"

namespace varnelo {
namespace {

constexpr double UNDEF = std::numeric_limits<double>::quiet_NaN();

ReflectanceArray Grid(double (*r)(double nm)) {
    ReflectanceArray a{};
    for (int j = 0; j < SPECTRUM_LENGTH; ++j) a[static_cast<std::size_t>(j)] = r(WavelengthOfElement(j));
    return a;
}

// Centred coefficients from Savitzky & Golay (1964) / Steinier et al. (1972).
TEST(SavitzkyGolay, CentredWeightsAreThePublishedOnes) {
    const struct {
        SmoothingOptions filter;
        std::vector<double> weights;
        double norm;
    } cases[] = {
        {{5, 2, false}, {-3, 12, 17, 12, -3}, 35},
        {{5, 3, false}, {-3, 12, 17, 12, -3}, 35},
        {{7, 2, false}, {-2, 3, 6, 7, 6, 3, -2}, 21},
        {{9, 4, false}, {15, -55, 30, 135, 179, 135, 30, -55, 15}, 429},
        {{5, 2, true}, {-2, -1, 0, 1, 2}, 10},
        {{7, 2, true}, {-3, -2, -1, 0, 1, 2, 3}, 28},
        {{7, 3, true}, {22, -67, -58, 0, 58, 67, -22}, 252},
    };
    for (const auto& c : cases) {
        const SavitzkyGolay sg(c.filter);
        for (int i = 0; i < c.filter.window; ++i) {
            EXPECT_NEAR(sg.weight(c.filter.window / 2, i), c.weights[static_cast<std::size_t>(i)] / c.norm, 1e-13)
                << SmoothingName(c.filter) << " point " << i;
        }
    }
}

// The ends take the polynomial through the first/last W points, so a cubic
// comes back exactly with P = 3 (value and slope) even at 340 and 850 nm.
TEST(SavitzkyGolay, EndsReproduceACubicAndUndefinedPointsAreNotSmoothedOver) {
    const auto cubic = [](double nm) { const double x = (nm - 600) / 100; return 0.3 + 0.2 * x - 0.05 * x * x + 0.01 * x * x * x; };
    const auto slope = [](double nm) { const double x = (nm - 600) / 100; return (0.2 - 0.1 * x + 0.03 * x * x) / 100; };
    ReflectanceArray out{};
    for (const int w : {5, 11, 51}) {
        SavitzkyGolay(SmoothingOptions{w, 3, false}).apply(Grid(cubic), out);
        for (int j = 0; j < SPECTRUM_LENGTH; ++j) ASSERT_NEAR(out[j], cubic(340 + j), 1e-12) << w << " " << j;
        SavitzkyGolay(SmoothingOptions{w, 3, true}).apply(Grid(cubic), out);
        for (int j = 0; j < SPECTRUM_LENGTH; ++j) ASSERT_NEAR(out[j], slope(340 + j), 1e-12) << w << " " << j;
    }
    const struct {
        int undefinedAt;
        int firstUndefined, lastUndefined;  // of the output, W = 5
    } cases[] = {{100, 98, 102}, {0, 0, 2}, {1, 0, 3}, {510, 508, 510}, {507, 505, 510}};
    for (const auto& c : cases) {
        ReflectanceArray in = Grid([](double) { return 0.5; });
        in[static_cast<std::size_t>(c.undefinedAt)] = UNDEF;
        SavitzkyGolay(SmoothingOptions{5, 2, false}).apply(in, out);
        for (int j = 0; j < SPECTRUM_LENGTH; ++j) {
            EXPECT_EQ(std::isnan(out[j]), j >= c.firstUndefined && j <= c.lastUndefined) << c.undefinedAt << " at " << j;
        }
    }
}

TEST(Refusals, EachBadValueIsNamed) {
    const char* table = "wavelength,A\n500,0\n510,1\n";
    const struct {
        const char* text;
        std::function<bool(std::string&)> parse;
    } cases[] = {
        {"sg:4:2", [](std::string& e) { return ParseSmoothing("sg:4:2", e).has_value(); }},
        {"sg:5:5", [](std::string& e) { return ParseSmoothing("sg:5:5", e).has_value(); }},
        {"sg:53:2", [](std::string& e) { return ParseSmoothing("sg:53:2", e).has_value(); }},
        {"sg:5:0", [](std::string& e) { return ParseSmoothing("sg:5:0", e).has_value(); }},
        {"'0'", [](std::string& e) { return ParseGrouping("0", e).has_value(); }},
        {"gap:-1", [](std::string& e) { return ParseGrouping("gap:-1", e).has_value(); }},
        {"'-5'", [](std::string& e) { return ParseSkyChange("-5", e).has_value(); }},
        {"'s2b'", [](std::string& e) { return BuiltInSensor("s2b", e).has_value(); }},
        {"wavelength column", [](std::string& e) { return ParseResponseTable("nm2,A\n500,1\n", "t", e).has_value(); }},
        {"510 does not increase", [](std::string& e) { return ParseResponseTable("nm,A\n510,0\n510,1\n", "t", e).has_value(); }},
        {"'x' is not a number", [](std::string& e) { return ParseResponseTable("nm,A\n500,0\n510,x\n", "t", e).has_value(); }},
        {"inside 340..850", [](std::string& e) { return ParseResponseTable("nm,A\n900,0\n910,1\n", "t", e).has_value(); }},
    };
    for (const auto& c : cases) {
        std::string error;
        EXPECT_FALSE(c.parse(error)) << c.text;
        EXPECT_NE(error.find(c.text), std::string::npos) << error;
    }
    std::string error;
    EXPECT_TRUE(ParseSmoothing("sg:51:49", error).has_value());
    EXPECT_TRUE(ParseResponseTable(table, "t", error).has_value());
}

// Hand-computed band values: a Gaussian's weights are symmetric about its
// centre, so a ramp gives its value at the centre and a step at the centre
// one half; the coverage is the normal mass inside 339.5..850.5 nm.
TEST(SatelliteBands, ValuesAndCoverage) {
    const ReflectanceArray ramp = Grid([](double nm) { return (nm - 340) / 1000; });
    const ReflectanceArray step = Grid([](double nm) { return nm < 600 ? 0.0 : nm > 600 ? 1.0 : 0.5; });
    std::string error;
    const BandSet s2a = *BuiltInSensor("s2a", error);
    const BandSet l8 = *BuiltInSensor("l8", error);
    const BandSet table = *ParseResponseTable("Wavelength (nm),T,F\n590,0,1\n600,1,1\n610,0,1\n800,0,1\n900,0,1\n", "t", error);
    const struct {
        const char* what;
        SpectralBand band;
        ReflectanceArray reflectance;
        std::optional<double> value;
        double coverage;
    } cases[] = {
        {"ramp under s2a B4", s2a.bands[3], ramp, (664.6 - 340) / 1000, 1.0},
        {"ramp under l8 B2", l8.bands[1], ramp, (482.04 - 340) / 1000, 1.0},
        {"step at 600 under a centred band", GaussianBand("G", 600, 30), step, 0.5, 1.0},
        // σ = 106 / 2.3548 = 45.01 nm; Φ((850.5 - 832.8) / σ) = Φ(0.3932) = 0.6529
        {"s2a B8 reaches past 850 nm", s2a.bands[7], ramp, std::nullopt, 0.6529},
        // σ = 8.918 nm; Φ((850.5 - 864.7) / σ) = Φ(-1.592) = 0.0557
        {"s2a B8A lies mostly beyond", s2a.bands[8], ramp, std::nullopt, 0.0557},
        {"triangle table", table.bands[0], step, 0.5, 1.0},
        // 340..850 of 590..900: 261 of 311 whole nm
        {"flat table past the grid", table.bands[1], ramp, std::nullopt, 261.0 / 311.0},
    };
    for (const auto& c : cases) {
        EXPECT_NEAR(c.band.coverage, c.coverage, 2e-4) << c.what;
        if (c.value) {
            EXPECT_NEAR(*BandValue(c.band, c.reflectance), *c.value, 1e-8) << c.what;
        }
    }
    ReflectanceArray hole = ramp;
    hole[664 - 340] = UNDEF;
    EXPECT_FALSE(BandValue(s2a.bands[3], hole)) << "an undefined element inside the band";
    hole = ramp;
    hole[340 - 340] = UNDEF;
    EXPECT_TRUE(BandValue(s2a.bands[3], hole)) << "far below 1 % of the peak";
}

TEST(QualityFlags, SkyRangeAndGroups) {
    EXPECT_EQ(QualityText(0), "");
    EXPECT_EQ(QualityText(QC_SKY | QC_NOFIX | QC_RANGE | QC_UNDEFINED), "nofix;undefined;range;sky");
    EXPECT_FALSE(SkyChanged(100, 110, 0.10));
    EXPECT_TRUE(SkyChanged(100, 110.001, 0.10));
    EXPECT_TRUE(SkyChanged(100, 89.9, 0.10));
    EXPECT_TRUE(SkyChanged(100, 100.5, 0.0));
    const std::vector<SpectralIndex> two{NDVI, REP};
    EXPECT_EQ(RangeFlag(two, std::vector<IndexValue>{-1.0, 900.0}), 0u);
    EXPECT_EQ(RangeFlag(two, std::vector<IndexValue>{-1.0000001, 700.0}), QC_RANGE);

    const std::vector<std::optional<double>> seconds{0, 10, 50, 55, std::nullopt, 60, 90};
    const auto at = [&](int i) { return seconds[static_cast<std::size_t>(i)]; };
    const auto ranges = [](const std::vector<RecordRange>& groups) {
        std::string text;
        for (const RecordRange& g : groups) text += std::to_string(g.first) + "-" + std::to_string(g.last) + " ";
        return text;
    };
    std::string error;
    EXPECT_EQ(ranges(GroupRecords(*ParseGrouping("3", error), 7, at)), "0-2 3-5 6-6 ");
    EXPECT_EQ(ranges(GroupRecords(*ParseGrouping("gap:30", error), 7, at)), "0-1 2-3 4-4 5-6 ");
    EXPECT_EQ(ranges(GroupRecords(*ParseGrouping("gap:5", error), 7, at)), "0-0 1-1 2-3 4-4 5-5 6-6 ");
}

}  // namespace
}  // namespace varnelo
