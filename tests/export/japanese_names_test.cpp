// Files under a folder whose name lies outside the user's code page: the
// core reads and writes each kind of file there, and names it in UTF-8.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "data/data_file.h"
#include "data/data_file_reader.h"
#include "export/csv_export.h"
#include "export/track_export.h"
#include "io/path_text.h"
#include "support/test_support.h"
#include "track/gps_track.h"

namespace varnelo {
namespace {

namespace fs = std::filesystem;

TEST(JapaneseNames, DataCsvAndGeoJsonAreWrittenAndRead) {
    test::TempDir dir;
    const fs::path folder = dir.path() / fs::path(u8"測定データ");
    fs::create_directory(folder);
    auto doc = std::make_unique<CVarneloDoc>();
    doc->record(0) = test::PatternRecord(3);
    doc->record(0).set_time(41, 10, 7, 9, 5, 0);
    doc->record(0).set_gps_text("X,1,2,3539.1234,N,13945.6789,E,10.0,90.0,9,12.3,45.6");
    doc->setRecordCount(1);
    const fs::path data = folder / fs::path(u8"畑.vrnldata");
    ASSERT_TRUE(SaveDataFile(data, *doc));

    DataFileReader source;
    ASSERT_TRUE(source.open(data));
    EXPECT_EQ(source.count(), 1);
    const fs::path csv = folder / fs::path(u8"畑.csv");
    ASSERT_TRUE(ExportCsv(csv, source, {}).status);
    const auto table = test::ReadFileBytes(csv);
    EXPECT_EQ(test::LineCount(std::string(table.begin(), table.end())), 2u);

    auto track = std::make_unique<GpsTrack>();
    ComputeTrack(*doc, 1, *track);
    const fs::path geoJson = folder / fs::path(u8"軌跡.geojson");
    ASSERT_TRUE(ExportTrack(geoJson, *doc, *track, TrackFormat::GeoJson).status);
    const auto bytes = test::ReadFileBytes(geoJson);
    EXPECT_NE(std::string(bytes.begin(), bytes.end()).find("139.761315"), std::string::npos);

    // A file that is not there is named as the user typed it.
    const fs::path missing = folder / fs::path(u8"無い.vrnldata");
    DataFileReader none;
    const Status refused = none.open(missing);
    ASSERT_FALSE(refused);
    EXPECT_NE(refused.detail.find(PathText(missing)), std::string::npos) << refused.detail;
}

}  // namespace
}  // namespace varnelo
