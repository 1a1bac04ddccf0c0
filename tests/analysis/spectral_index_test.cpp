#include "analysis/spectral_index.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>

namespace varnelo {
namespace {

constexpr float NaN = std::numeric_limits<float>::quiet_NaN();
constexpr float INF = std::numeric_limits<float>::infinity();

Spectrum Shaped(const std::function<float(int nm)>& r) {
    Spectrum s{};
    for (int j = 0; j < SPECTRUM_LENGTH; ++j) s[static_cast<std::size_t>(j)] = r(WavelengthOfElement(j));
    return s;
}

Spectrum With(Spectrum s, int nm, float v) {
    s[static_cast<std::size_t>(nm - WAVELENGTH_BASE_NM)] = v;
    return s;
}

// A red edge in two steps, every value exact in binary: 0.0625 below 690 nm,
// 0.125 up to 729 nm, 0.75 from 730 nm.
float StepEdge(int nm) { return nm < 690 ? 0.0625f : nm < 730 ? 0.125f : 0.75f; }

constexpr SpectralIndex ND_750_705{IndexKind::NormalisedDifference, 750, 705};

TEST(SpectralIndex, FormulasOnHandComputedReflectances) {
    const Spectrum flat = Shaped([](int) { return 0.3f; });
    const Spectrum step = Shaped(StepEdge);
    const Spectrum zeros{};
    const struct {
        const char* what;
        Spectrum reflectance;
        SpectralIndex index;
        IndexValue expected;
    } cases[] = {
        {"flat NDVI", flat, NDVI, 0.0},
        {"flat PRI", flat, PRI, 0.0},
        {"flat REP: R740 = R700", flat, REP, std::nullopt},
        {"flat MTCI: R709 = R681", flat, MTCI, std::nullopt},
        {"step NDVI (0.75-0.0625)/(0.75+0.0625)", step, NDVI, 11.0 / 13.0},
        {"step PRI", step, PRI, 0.0},
        // 700 + 40 ((0.0625 + 0.75)/2 - 0.125) / (0.75 - 0.125) = 700 + 40 * 0.45
        {"step REP", step, REP, 718.0},
        {"step MTCI (0.75-0.125)/(0.125-0.0625)", step, MTCI, 10.0},
        {"step nd:750:705", step, ND_750_705, 5.0 / 7.0},
        {"zeros NDVI", zeros, NDVI, std::nullopt},
        {"zeros PRI", zeros, PRI, std::nullopt},
        {"zeros REP", zeros, REP, std::nullopt},
        {"zeros MTCI", zeros, MTCI, std::nullopt},
        {"zeros nd", zeros, ND_750_705, std::nullopt},
        {"opposite values cancel: R800 = -R680", With(With(flat, 800, 0.5f), 680, -0.5f), NDVI, std::nullopt},
        {"NaN at an element read", With(step, 680, NaN), NDVI, std::nullopt},
        {"infinity at an element read", With(step, 780, INF), REP, std::nullopt},
        {"NaN elsewhere does not matter", With(step, 400, NaN), NDVI, 11.0 / 13.0},
        {"nd at the grid's ends", With(With(flat, 340, 0.75f), 850, 0.25f), SpectralIndex{IndexKind::NormalisedDifference, 340, 850}, 0.5},
        {"nd outside the grid", step, SpectralIndex{IndexKind::NormalisedDifference, 339, 700}, std::nullopt},
    };
    for (const auto& c : cases) {
        const IndexValue got = ComputeIndex(c.index, c.reflectance);
        ASSERT_EQ(got.has_value(), c.expected.has_value()) << c.what;
        if (got) {
            EXPECT_NEAR(*got, *c.expected, 1e-12) << c.what;
        }
    }
}

TEST(SpectralIndex, RecordsGoThroughTheirDerivedReflectance) {
    // ch.1 / ch.2 with equal exposures and a unit channel difference is the
    // step edge itself; an exp_ch1 of 0 makes every element non-finite.
    const auto record = [](int expCh1, float ch2) {
        MeasurementRecord r{};
        r.set_exp(expCh1, 100);
        for (int j = 0; j < SPECTRUM_LENGTH; ++j) {
            const auto k = static_cast<std::size_t>(j);
            r.set_spectrum_ch1(k, StepEdge(WavelengthOfElement(j)) * 1024.0f);
            r.set_spectrum_ch2(k, ch2);
            r.set_channel_diff(k, 1.0f);
        }
        return r;
    };
    const std::vector<SpectralIndex> indices{NDVI, REP, MTCI, ND_750_705};
    const struct {
        const char* what;
        MeasurementRecord record;
        std::vector<IndexValue> expected;
    } cases[] = {
        {"step edge", record(100, 1024.0f), {11.0 / 13.0, 718.0, 10.0, 5.0 / 7.0}},
        {"ch.2 all zero: reflectance all zero", record(100, 0.0f), {std::nullopt, std::nullopt, std::nullopt, std::nullopt}},
        {"exp_ch1 0: nothing finite", record(0, 1024.0f), {std::nullopt, std::nullopt, std::nullopt, std::nullopt}},
    };
    for (const auto& c : cases) {
        std::vector<IndexValue> values(indices.size());
        ComputeIndices(c.record, indices, values);
        const DerivedSpectra whole = DeriveSpectra(c.record);
        for (std::size_t i = 0; i < indices.size(); ++i) {
            EXPECT_EQ(values[i], ComputeIndex(indices[i], whole.reflectance)) << "the few elements are the whole's";
            ASSERT_EQ(values[i].has_value(), c.expected[i].has_value()) << c.what << " " << IndexName(indices[i]);
            if (values[i]) {
                EXPECT_NEAR(*values[i], *c.expected[i], 1e-12) << c.what << " " << IndexName(indices[i]);
            }
        }
    }
}

TEST(SpectralIndex, NamesParseAndReadBack) {
    const struct {
        const char* text;
        std::optional<SpectralIndex> expected;
        const char* name;  // what IndexName gives back, or what the error quotes
    } cases[] = {
        {"ndvi", NDVI, "NDVI"},
        {"PRI", PRI, "PRI"},
        {"Rep", REP, "REP"},
        {"mtci", MTCI, "MTCI"},
        {"nd:750:705", ND_750_705, "nd:750:705"},
        {"ND:340:850", SpectralIndex{IndexKind::NormalisedDifference, 340, 850}, "nd:340:850"},
        {"nd:339:700", std::nullopt, "'nd:339:700'"},
        {"nd:700:851", std::nullopt, "'nd:700:851'"},
        {"nd:750", std::nullopt, "'nd:750'"},
        {"nd:750:705:1", std::nullopt, "'nd:750:705:1'"},
        {"nd:-1:700", std::nullopt, "'nd:-1:700'"},
        {"nd:7.5:700", std::nullopt, "'nd:7.5:700'"},
        {"evi", std::nullopt, "'evi'"},
        {"", std::nullopt, "''"},
    };
    for (const auto& c : cases) {
        std::string error;
        const std::optional<SpectralIndex> got = ParseIndexName(c.text, error);
        ASSERT_EQ(got.has_value(), c.expected.has_value()) << c.text;
        if (got) {
            EXPECT_EQ(*got, *c.expected) << c.text;
            EXPECT_EQ(IndexName(*got), c.name);
        } else {
            EXPECT_NE(error.find(c.name), std::string::npos) << c.text << ": " << error;
        }
    }
}

TEST(SpectralIndex, ReadoutShowsEachValueWithItsDecimalsAndUnitOrADash) {
    const std::vector<SpectralIndex> four = DefaultIndices();
    const struct {
        std::vector<IndexValue> values;
        const char* text;
    } cases[] = {
        {{0.71249, -0.0314, 718.44, 2.8449}, "NDVI 0.712  PRI -0.031  REP 718.4 nm  MTCI 2.84"},
        {{std::nullopt, 0.0, std::nullopt, 10.0}, "NDVI \u2014  PRI 0.000  REP \u2014  MTCI 10.00"},
    };
    for (const auto& c : cases) EXPECT_EQ(IndexReadoutText(four, c.values), c.text);
    EXPECT_EQ(IndexReadoutText(std::vector<SpectralIndex>{ND_750_705}, std::vector<IndexValue>{0.5}), "nd:750:705 0.500");
}

}  // namespace
}  // namespace varnelo
