#include "export/index_export.h"

#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace varnelo {
namespace {

// The two-step red edge of the index tests (NDVI 11/13, PRI 0, REP 718,
// MTCI 10) as ch.1 over a flat ch.2; zero ch.2 gives a reflectance of zeros.
MeasurementRecord Record(const std::string& gps, float ch2, int month) {
    MeasurementRecord r{};
    r.set_exp(100, 100);
    for (int j = 0; j < SPECTRUM_LENGTH; ++j) {
        const int nm = WavelengthOfElement(j);
        const auto k = static_cast<std::size_t>(j);
        r.set_spectrum_ch1(k, (nm < 690 ? 0.0625f : nm < 730 ? 0.125f : 0.75f) * 1024.0f);
        r.set_spectrum_ch2(k, ch2);
        r.set_channel_diff(k, 1.0f);
    }
    r.set_temps(25.5f, 26.25f);
    r.set_battery(95.0f, 3.75f);
    r.set_time(41, month, 7, 9, 5, 3);
    r.set_gps_text(gps);
    return r;
}

class IndexExport : public ::testing::Test {
protected:
    void SetUp() override {
        // South and west; a void fix ("V"); a fix with no reflectance and no real date.
        doc->record(0) = Record("X,1,A,3539.1234,S,13945.6789,W,10.0,90.0,9,12.3,45.6", 1024.0f, 10);
        doc->record(1) = Record("X,1,V,3539.1234,N,13945.6789,E,10.0,90.0,9,12.3,45.6", 1024.0f, 10);
        doc->record(2) = Record("X,1,A,3539.1234,N,13945.6789,E,0,0,9,-1.5,0", 0.0f, 13);
        // 440 nm a finite profile value among the zeros, 441 nm not a number.
        doc->record(2).set_spectrum_ch2(100, 1.0f);
        doc->record(2).set_spectrum_ch2(101, 1.0f);
        doc->record(2).set_spectrum_ch1(101, std::numeric_limits<float>::quiet_NaN());
        doc->setRecordCount(3);
    }
    std::string Written(const std::function<ExportResult(const std::filesystem::path&)>& write) {
        const auto path = dir / "out";
        EXPECT_TRUE(write(path).status);
        const auto bytes = test::ReadFileBytes(path);
        return std::string(bytes.begin(), bytes.end());
    }
    test::TempDir dir;
    std::unique_ptr<CVarneloDoc> doc = std::make_unique<CVarneloDoc>();
};

TEST_F(IndexExport, TableRowsHoldSignedPositionsIsoTimesAndEmptyGaps) {
    const std::string text = Written([&](const auto& to) { return ExportIndexTable(to, *doc, {}); });
    EXPECT_EQ(text,
              "record,time,latitude (deg),longitude (deg),altitude (m),speed (m/s),temp(CH1) (degC),temp(CH2) (degC),"
              "batv (V),NDVI,PRI,REP (nm),MTCI,qc\r\n"
              "0,2021-10-07T09:05:03,-35.6520567,-139.7613150,12.3,5.1444,25.5,26.25,3.75,0.8461538461538461,0,718,10,\r\n"
              "1,2021-10-07T09:05:03,,,,,25.5,26.25,3.75,0.8461538461538461,0,718,10,nofix\r\n"
              "2,,35.6520567,139.7613150,-1.5,0,25.5,26.25,3.75,,,,,undefined;sky\r\n");
    const std::string chosen = Written([&](const auto& to) {
        return ExportIndexTable(to, *doc, IndexTableOptions{{SpectralIndex{IndexKind::NormalisedDifference, 750, 705}, REP}, {}});
    });
    EXPECT_EQ(chosen.substr(0, chosen.find("\r\n")).substr(chosen.find("batv (V)")), "batv (V),nd:750:705,REP (nm),qc");
    EXPECT_NE(chosen.find(",0.7142857142857143,718,\r\n"), std::string::npos) << chosen;
}

TEST_F(IndexExport, PointLayerHasOneFeaturePerFixAndProfilesOnRequest) {
    const std::string text = Written([&](const auto& to) { return ExportPointLayer(to, *doc, {}); });
    EXPECT_EQ(text,
              "{\"type\":\"FeatureCollection\",\"features\":[\n"
              "{\"type\":\"Feature\",\"geometry\":{\"type\":\"Point\",\"coordinates\":[-139.7613150,-35.6520567,12.3]},"
              "\"properties\":{\"record\":0,\"time\":\"2021-10-07T09:05:03\",\"speed\":5.1444,\"course\":90.0,"
              "\"altitude\":12.3,\"temp_ch1\":25.5,\"temp_ch2\":26.25,\"batv\":3.75,\"NDVI\":0.8461538461538461,"
              "\"PRI\":0.0,\"REP\":718.0,\"MTCI\":10.0,\"qc\":\"\"}},\n"
              "{\"type\":\"Feature\",\"geometry\":{\"type\":\"Point\",\"coordinates\":[139.7613150,35.6520567,-1.5]},"
              "\"properties\":{\"record\":2,\"time\":null,\"speed\":0.0,\"course\":0.0,\"altitude\":-1.5,"
              "\"temp_ch1\":25.5,\"temp_ch2\":26.25,\"batv\":3.75,\"NDVI\":null,\"PRI\":null,\"REP\":null,\"MTCI\":null,\"qc\":\"undefined;sky\"}}\n"
              "]}\n");

    const std::string profiles = Written([&](const auto& to) { return ExportPointLayer(to, *doc, {DefaultIndices(), true, {}, {}}); });
    std::string x = "\"profiles\":{\"x\":[340";
    for (int nm = 341; nm <= 850; ++nm) x.append(",").append(std::to_string(nm));
    EXPECT_NE(profiles.find(x + "],\"y\":[0.0625,"), std::string::npos);
    // Record 2: 340..439 nm no reference (ch.2 0), 440 nm 64/1, 441 nm not a number; four decimals.
    std::string y = "\"y\":[null";
    for (int nm = 341; nm < 440; ++nm) y += ",null";
    y += ",64.0000,null,null,";
    EXPECT_NE(profiles.find(y), std::string::npos);
    EXPECT_NE(profiles.find("0.7500],\"xUnit\":\"nanometers\",\"yUnit\":\"reflectance\"}}}"), std::string::npos);
    // The indices read from the whole reflectance are those of the few elements.
    EXPECT_NE(profiles.find("\"NDVI\":0.8461538461538461,\"PRI\":0.0,\"REP\":718.0,\"MTCI\":10.0,\"qc\":\"\",\"profiles\""),
              std::string::npos);

    doc->setRecordCount(0);
    EXPECT_EQ(Written([&](const auto& to) { return ExportPointLayer(to, *doc, {}); }),
              "{\"type\":\"FeatureCollection\",\"features\":[\n]}\n");
}

// Straight from the file, each output is the one of the file opened as a
// document; a file cut after it was opened fails it, naming the first record
// it could not read, and leaves the target as it was.
TEST_F(IndexExport, StraightFromTheFileAsFromTheDocument) {
    for (int i = 3; i < 200; ++i) doc->record(i) = doc->record(i % 3);
    doc->setRecordCount(200);
    const auto data = dir / "data.vrnldata";
    ASSERT_TRUE(SaveDataFile(data, *doc));
    auto loaded = std::make_unique<CVarneloDoc>();
    ASSERT_TRUE(LoadDataFile(data, *loaded));
    for (const char* output : {"table", "points", "profiles"}) {
        SCOPED_TRACE(output);
        const auto write = [&](const std::filesystem::path& to, auto& records) {
            if (output == std::string("table")) return ExportIndexTable(to, records, {});
            return ExportPointLayer(to, records, PointLayerOptions{DefaultIndices(), output == std::string("profiles"), {}, {}});
        };
        DataFileReader source;
        ASSERT_TRUE(source.open(data));
        EXPECT_EQ(Written([&](const auto& to) { return write(to, source); }),
                  Written([&](const auto& to) { return write(to, *loaded); }));

        const auto cut = dir / (std::string(output) + ".vrnldata");
        std::filesystem::copy_file(data, cut);
        DataFileReader shrinking;
        ASSERT_TRUE(shrinking.open(cut));
        std::filesystem::resize_file(cut, DataFileSize(150) + 100);
        const auto target = dir / "kept";
        test::WriteFileBytes(target, {'o', 'l', 'd'});
        const ExportResult result = write(target, shrinking);
        EXPECT_TRUE(result.status.failed());
        EXPECT_NE(result.status.detail.find(cut.filename().string() + ": record 150 could not be read"), std::string::npos)
            << result.status.detail;
        EXPECT_EQ(test::ReadFileBytes(target), (std::vector<std::uint8_t>{'o', 'l', 'd'}));
    }
}

// The widest values every field can hold, under each layout: a row that
// outgrew the room computed for it would stop the program.
TEST_F(IndexExport, WidestRowsFitTheirRoom) {
    for (int i = 0; i < 3; ++i) {
        doc->record(i).set_gps_text("X,1,A,8959.9999,S,17959.9999,W,-3.4e38,-359.99,9,-340282346638528859811704183484516925440");
        doc->record(i).set_temps(-std::numeric_limits<float>::max(), std::numeric_limits<float>::denorm_min());
        doc->record(i).set_battery(-1.1754942e-38f, -std::numeric_limits<float>::max());
    }
    std::vector<SpectralIndex> indices = DefaultIndices();
    for (int a = 340; a < 850; a += 7) indices.push_back(SpectralIndex{IndexKind::NormalisedDifference, a, 850});
    RowStages grouped, derivative;
    grouped.grouping = Grouping{Grouping::Kind::Count, 2, 0};
    derivative.smoothing = SmoothingOptions{5, 2, true};
    std::string error;
    const BandSet bands = *BuiltInSensor("s2a", error);
    const std::function<ExportResult(const std::filesystem::path&)> layouts[] = {
        [&](const auto& to) { return ExportIndexTable(to, *doc, IndexTableOptions{indices, {}}); },
        [&](const auto& to) { return ExportIndexTable(to, *doc, IndexTableOptions{indices, grouped}); },
        [&](const auto& to) { return ExportPointLayer(to, *doc, PointLayerOptions{indices, true, derivative, {}}); },
        [&](const auto& to) { return ExportBandTable(to, *doc, BandTableOptions{bands, grouped}); },
    };
    for (const auto& layout : layouts) EXPECT_FALSE(Written(layout).empty());
    EXPECT_NE(Written(layouts[0]).find(",-3.4028235e+38,1e-45,-3.4028235e+38,0.84"), std::string::npos);
}

}  // namespace
}  // namespace varnelo
