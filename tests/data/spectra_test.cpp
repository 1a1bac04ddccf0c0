#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "data/spectra.h"

namespace varnelo {
namespace {

MeasurementRecord Flat(int exp1, int exp2, float ch1, float ch2, float diff) {
    MeasurementRecord r{};
    r.set_exp(exp1, exp2);
    for (std::size_t j = 0; j < SPECTRUM_LENGTH; ++j) {
        r.set_spectrum_ch1(j, ch1);
        r.set_spectrum_ch2(j, ch2);
        r.set_channel_diff(j, diff);
    }
    return r;
}

TEST(DeriveSpectra, ScalesCh1ToCh2ExposureAndTakesTheRatio) {
    const DerivedSpectra d = DeriveSpectra(Flat(100, 200, 1000.0f, 2000.0f, 0.5f));
    for (std::size_t j = 0; j < SPECTRUM_LENGTH; ++j) {
        EXPECT_EQ(d.ch1_scaled[j], 1000.0f);
        EXPECT_EQ(d.ch2[j], 2000.0f);
        EXPECT_EQ(d.reflectance[j], 0.5f);
    }
}

TEST(DeriveSpectra, RoundsTheExposureRatioToFloatBeforeUse) {
    // 1/3 as float32 is 0.3333333432674408; the exact third would give a
    // different float for this ch.1 value.
    const float ch1 = 4.0e7f;
    const DerivedSpectra d = DeriveSpectra(Flat(3, 1, ch1, 1.0f, 1.0f));
    const float ratio = 1.0f / 3.0f;
    EXPECT_EQ(d.ch1_scaled[0], static_cast<float>(static_cast<double>(ch1) * static_cast<double>(ratio)));
    EXPECT_NE(d.ch1_scaled[0], static_cast<float>(static_cast<double>(ch1) / 3.0));
}

TEST(DeriveSpectra, MultipliesInDoubleAndRoundsOnce) {
    // 3 * 0.1f * 0.1f rounded per step in float differs from one rounding.
    MeasurementRecord r = Flat(1, 1, 3.0f, 1.0f, 0.1f);
    r.set_exp(10, 1);
    const DerivedSpectra d = DeriveSpectra(r);
    const double once = 3.0 * static_cast<double>(0.1f) * static_cast<double>(0.1f);
    EXPECT_EQ(d.ch1_scaled[5], static_cast<float>(once));
}

TEST(DeriveSpectra, ZeroCh2GivesZeroReflectance) {
    for (float ch2 : {0.0f, -0.0f})
        for (float ch1 : {0.0f, -5.0f, 7.0f}) {
            const DerivedSpectra d = DeriveSpectra(Flat(1, 1, ch1, ch2, 1.0f));
            EXPECT_EQ(d.reflectance[100], 0.0f);
            EXPECT_FALSE(std::signbit(d.reflectance[100]));
        }
}

TEST(DeriveSpectra, ZeroExposurePassesNonFiniteValuesOn) {
    const DerivedSpectra inf = DeriveSpectra(Flat(0, 5, 10.0f, 2.0f, 1.0f));
    EXPECT_TRUE(std::isinf(inf.ch1_scaled[0]));
    EXPECT_TRUE(std::isinf(inf.reflectance[0]));
    const DerivedSpectra nan = DeriveSpectra(Flat(0, 0, 10.0f, 2.0f, 1.0f));
    EXPECT_TRUE(std::isnan(nan.ch1_scaled[0]));
    EXPECT_TRUE(std::isnan(nan.reflectance[0]));
    EXPECT_EQ(nan.ch2[0], 2.0f);
}

TEST(DeriveSpectra, UsesEachElementOfTheRecordsOwnTable) {
    MeasurementRecord r = Flat(2, 2, 10.0f, 4.0f, 1.0f);
    r.set_channel_diff(60, 2.0f);
    r.set_spectrum_ch2(61, -8.0f);
    const DerivedSpectra d = DeriveSpectra(r);
    EXPECT_EQ(d.ch1_scaled[59], 10.0f);
    EXPECT_EQ(d.ch1_scaled[60], 20.0f);
    EXPECT_EQ(d.reflectance[60], 5.0f);
    EXPECT_EQ(d.reflectance[61], -1.25f);
}

TEST(WavelengthWindows, ExportAndChartWindowsDiffer) {
    EXPECT_EQ(WavelengthOfElement(0), 340);
    EXPECT_EQ(WavelengthOfElement(510), 850);
    EXPECT_EQ(ExportWindow(false).count(), 511);
    EXPECT_EQ(ExportWindow(true).count(), 401);
    EXPECT_EQ(WavelengthOfElement(ExportWindow(true).first), 400);
    EXPECT_EQ(WavelengthOfElement(ExportWindow(true).last), 800);
    EXPECT_EQ(ChartWindow(true).count(), 411);
    EXPECT_EQ(WavelengthOfElement(ChartWindow(true).first), 390);
    EXPECT_FALSE(ChartWindow(true).contains(49));
    EXPECT_TRUE(ChartWindow(true).contains(50));
    EXPECT_FALSE(ExportWindow(true).contains(59));
}

}  // namespace
}  // namespace varnelo
