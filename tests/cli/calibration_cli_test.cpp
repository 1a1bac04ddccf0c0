// The clock's offset, the sun and the panel from the command line: what is
// refused, and with which status.
#include <gtest/gtest.h>

#include "cli/cli_fixture.h"

namespace varnelo::test {
namespace {

TEST_F(CliFixture, CalibrationOptionsAreRefusedWithTheirStatus) {
    const std::string in = input.string(), out = (dir / "o.csv").string();
    const struct {
        std::vector<std::string> arguments;
        int status;
        const char* named;
    } cases[] = {
        {{"indices", in, "-o", out, "--utc-offset", "+14:30"}, 2, "'+14:30'"},
        {{"track", in, "-o", (dir / "t.gpx").string(), "--utc-offset", "9"}, 2, "'9'"},
        {{"indices", in, "-o", out, "--utc-offset", "auto"}, 1, "give --utc-offset"},
        {{"track", in, "-o", (dir / "t.gpx").string(), "--utc-offset", "auto"}, 1, "give --utc-offset"},
        {{"bands", in, "-o", out, "--sensor", "l8", "--saturation", "0"}, 2, "--saturation '0'"},
        {{"library", in, "-o", (dir / "l.sli").string(), "--max-zenith", "91x"}, 2, "--max-zenith '91x'"},
        {{"indices", in, "-o", out, "--panel", "1,5"}, 2, "go together"},
        {{"points", in, "-o", out, "--panel", "1,5", "--panel-reflectance", "0.99"}, 2, "record 5 but"},
        {{"library", in, "-o", (dir / "l.sli").string(), "--panel", "4-9", "--panel-reflectance", "0.9"}, 2, "record 9"},
        {{"bands", in, "-o", out, "--sensor", "l8", "--panel", "1", "--panel-reflectance", "nope.csv"}, 2, "nope.csv"},
    };
    for (const auto& c : cases) {
        const ProcessResult result = RunCli(c.arguments);
        EXPECT_EQ(result.status, c.status) << c.named << ": " << result.err;
        EXPECT_NE(result.err.find(c.named), std::string::npos) << result.err;
        ExpectOneLine(result, c.named);
        EXPECT_FALSE(std::filesystem::exists(out));
    }
    const ProcessResult given = RunCli({"points", in, "-o", "-", "--utc-offset", "-03:30"});
    EXPECT_NE(given.out.find("\"time\":\"2021-10-07T09:05:00-03:30\""), std::string::npos) << given.out;
    EXPECT_NE(given.out.find("\"stages\":\"utc-offset -03:30\""), std::string::npos) << given.out;
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
