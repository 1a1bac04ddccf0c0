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
}

}  // namespace
}  // namespace varnelo::test
