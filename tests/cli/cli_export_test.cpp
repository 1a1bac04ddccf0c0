#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "data/data_file.h"
#include "export/csv_export.h"
#include "support/test_support.h"

namespace varnelo {
namespace {

std::string FileText(const std::filesystem::path& path) {
    const auto bytes = test::ReadFileBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

class CliExport : public ::testing::Test {
protected:
    void SetUp() override {
        for (int i = 0; i < 5; ++i) {
            doc->record(i) = test::PatternRecord(static_cast<std::uint32_t>(i));
            doc->record(i).set_gps_text(i == 0 ? "no fix"
                                               : "X,1,2,353" + std::to_string(i) + ".1234,N,13945.6789,E,1,2,9,12.3,4");
            doc->record(i).set_time(41, 10, 7, 9, 5, i);
            doc->record(i).set_exp(100, 200);
        }
        doc->setRecordCount(5);
        ASSERT_TRUE(SaveDataFile(data, *doc));
        ComputeTrack(*doc, 5, *track);
    }
    std::string Expected(const CsvOptions& options) {
        const auto path = dir / "expected.csv";
        EXPECT_TRUE(ExportCsv(path, *doc, *track, options).status);
        return FileText(path);
    }

    test::TempDir dir;
    std::filesystem::path data = dir / "in.vrnldata";
    std::unique_ptr<CVarneloDoc> doc = std::make_unique<CVarneloDoc>();
    std::unique_ptr<GpsTrack> track = std::make_unique<GpsTrack>();
};

TEST_F(CliExport, WritesTheCsvOfEachModeAndWindow) {
    const std::string out = (dir / "out.csv").string();
    test::ProcessResult r = test::RunCli({"export", data.string(), "-o", out});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(FileText(out), Expected({ExportMode::TwoChannel, false}));

    r = test::RunCli({"export", data.string(), "-o", out, "--mode", "reflectance", "--limit"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(FileText(out), Expected({ExportMode::Reflectance, true}));
}

// The user's locale changes nothing of the export: system/locale_test.cpp.

TEST_F(CliExport, ErrorsGiveOneLineAndNoFile) {
    const std::string out = (dir / "out.csv").string();
    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{"export", data.string(), "-o", out, "--mode", "3ch"},
          std::vector<std::string>{"export", data.string()},
          std::vector<std::string>{"export", (dir / "absent.vrnldata").string(), "-o", out},
          std::vector<std::string>{"export", data.string(), "-o", (dir / "no" / "out.csv").string()},
          std::vector<std::string>{"track", data.string(), "-o", (dir / "out.kml").string()}}) {
        const test::ProcessResult r = test::RunCli(arguments);
        EXPECT_NE(r.status, 0) << arguments.back();
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
        EXPECT_FALSE(std::filesystem::exists(out));
    }
}

TEST_F(CliExport, TrackCommandWritesGpxAndGeoJson) {
    const auto gpx = dir / "track.gpx";
    test::ProcessResult r = test::RunCli({"track", data.string(), "-o", gpx.string()});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string text = FileText(gpx);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 4 + 4 + 3);  // record 0 has no fix
    EXPECT_NE(text.find("<trkpt lat=\"35.5187233\" lon=\"139.7613150\"><ele>12.3</ele><time>2021-10-07T09:05:01</time>"),
              std::string::npos)
        << text;

    const auto json = dir / "track.geojson";
    r = test::RunCli({"track", data.string(), "-o", json.string()});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(FileText(json).find("\"records\":[1,2,3,4]"), std::string::npos);
}

}  // namespace
}  // namespace varnelo
