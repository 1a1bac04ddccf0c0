// The point layer as a real GIS reader takes it: GDAL's ogrinfo, the reader
// QGIS itself uses, on a simulated field day.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <sstream>

#include "data/data_file.h"
#include "export/track_export.h"
#include "session/session.h"
#include "simulator/simulated_content.h"
#include "support/test_support.h"

namespace varnelo {
namespace {

std::filesystem::path Ogrinfo() {
    std::istringstream path(std::getenv("PATH") ? std::getenv("PATH") : "");
    for (std::string folder; std::getline(path, folder, ':');) {
        const std::filesystem::path candidate = std::filesystem::path(folder) / "ogrinfo";
        if (::access(candidate.c_str(), X_OK) == 0) return candidate;
    }
    return {};
}

TEST(GisReader, OgrinfoListsTheSimulatedDaysPoints) {
    const std::filesystem::path ogrinfo = Ogrinfo();
    ASSERT_FALSE(ogrinfo.empty()) << "ogrinfo (Debian gdal-bin, installed by scripts/setup) is needed";
    test::TempDir dir;
    constexpr int COUNT = 400;
    {
        const SimulatedContent content(COUNT, 7);
        auto doc = std::make_unique<CVarneloDoc>();
        doc->parameterBlock() = content.parameters();
        for (int i = 0; i < COUNT; ++i) content.buildRecord(i, doc->record(i));
        doc->setRecordCount(COUNT);
        ASSERT_TRUE(SaveDataFile(dir / "day.vrnldata", *doc));
    }
    // The records the track files call fixes.
    Session session;
    ASSERT_TRUE(session.open(dir / "day.vrnldata"));
    const std::size_t fixes = TrackPoints(session.doc(), session.track()).size();
    ASSERT_GT(fixes, 0u);
    ASSERT_LT(fixes, static_cast<std::size_t>(COUNT)) << "the simulated day starts without a fix";

    for (const bool profiles : {false, true}) {
        std::vector<std::string> arguments{"points", (dir / "day.vrnldata").string(), "-o",
                                           (dir / "day.geojson").string(), "--index", "nd:750:705"};
        if (profiles) arguments.push_back("--profiles");
        ASSERT_EQ(test::RunCli(arguments).status, 0);
        test::CliSetting reader;
        reader.program = ogrinfo;
        const auto listed = test::RunCli({"-ro", "-so", "-al", (dir / "day.geojson").string()}, reader);
        ASSERT_EQ(listed.status, 0) << listed.err;
        const std::string expected[] = {
            "using driver `GeoJSON' successful",
            "Geometry: 3D Point",
            "Feature Count: " + std::to_string(fixes) + "\n",
            "GEOGCRS[\"WGS 84\"",
            "record: Integer (0.0)",
            "time: DateTime (0.0)",
            "speed: Real (0.0)",
            "course: Real (0.0)",
            "altitude: Real (0.0)",
            "temp_ch1: Real (0.0)",
            "temp_ch2: Real (0.0)",
            "batv: Real (0.0)",
            "nd:750:705: Real (0.0)",
        };
        for (const std::string& line : expected) EXPECT_NE(listed.out.find(line), std::string::npos) << line << "\n" << listed.out;
        EXPECT_EQ(listed.out.find("profiles: String(JSON)") != std::string::npos, profiles) << listed.out;
        EXPECT_EQ(listed.err, "");
    }
}

}  // namespace
}  // namespace varnelo
