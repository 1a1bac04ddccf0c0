// The clock's offset and the panel from the command line.
#include <gtest/gtest.h>

#include "cli/cli_fixture.h"

namespace varnelo::test {
namespace {

TEST_F(CliFixture, AnOffsetNoRecordGivesFailsAndOnesGivenAreWritten) {
    const std::string in = input.string();
    for (const std::string out : {"o.csv", "t.gpx"}) {
        const ProcessResult result =
            RunCli({out == "o.csv" ? "indices" : "track", in, "-o", (dir / out).string(), "--utc-offset", "auto"});
        EXPECT_EQ(result.status, 1) << result.err;
        EXPECT_NE(result.err.find("give --utc-offset"), std::string::npos) << result.err;
        ExpectOneLine(result, out);
    }
    const ProcessResult given = RunCli({"points", in, "-o", "-", "--utc-offset", "-03:30"});
    EXPECT_NE(given.out.find("\"time\":\"2021-10-07T09:05:00-03:30\""), std::string::npos) << given.out;
    EXPECT_NE(given.out.find("\"stages\":\"utc-offset -03:30\""), std::string::npos) << given.out;
    // A GeoJSON track places the sun at its points once the offset is known.
    for (const bool offset : {false, true}) {
        std::vector<std::string> args = {"track", in, "-o", "-", "--format", "geojson"};
        if (offset) args.insert(args.end(), {"--utc-offset", "+09:00"});
        const ProcessResult track = RunCli(args);
        EXPECT_EQ(track.out.find(",\"sun_zenith\":[") != std::string::npos, offset) << track.out;
    }
    // Panel records stay in the results, flagged.
    const ProcessResult panel =
        RunCli({"indices", in, "-o", "-", "--panel", "1,3", "--panel-reflectance", "0.99", "--index", "ndvi"});
    EXPECT_EQ(panel.status, 0) << panel.err;
    EXPECT_NE(panel.out.find(";panel\r\n2,"), std::string::npos) << panel.out;
    EXPECT_NE(panel.out.find(";panel\r\n4,"), std::string::npos) << panel.out;
    EXPECT_EQ(panel.out.find(";panel\r\n3,"), std::string::npos) << panel.out;
}

}  // namespace
}  // namespace varnelo::test
