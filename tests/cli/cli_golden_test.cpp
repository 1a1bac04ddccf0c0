// Every output format of one small fixed data file, byte for byte, against
// the files kept in golden/: a change to any output shows in review as a
// change to a file. After a deliberate change of an output,
// VARNELO_UPDATE_GOLDEN=1 rewrites them (then read the diff).
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace varnelo {
namespace {

namespace fs = std::filesystem;

const fs::path GOLDEN = VARNELO_GOLDEN_DIR;

TEST(CliGolden, OutputsOfASmallFixedFileMatchTheirGoldenFiles) {
    const std::string input = (GOLDEN / "small.vrnldata").string();
    const struct {
        const char* golden;
        std::vector<std::string> arguments;
    } cases[] = {
        {"small.csv", {"export", input, "--mode", "2ch"}},
        {"small_reflectance_limit.csv", {"export", input, "--mode", "reflectance", "--limit"}},
        {"small.gpx", {"track", input}},
        {"small.geojson", {"track", input}},
    };
    const bool update = std::getenv("VARNELO_UPDATE_GOLDEN") != nullptr;
    test::TempDir dir;
    test::CliSetting setting;
    setting.environment = {"LC_ALL=C"};
    for (const auto& c : cases) {
        std::vector<std::string> arguments = c.arguments;
        arguments.insert(arguments.end(), {"-o", (dir / c.golden).string()});
        const test::ProcessResult result = test::RunCli(arguments, setting);
        ASSERT_EQ(result.status, 0) << c.golden << ": " << result.err;
        const auto written = test::ReadFileBytes(dir / c.golden);
        if (update) test::WriteFileBytes(GOLDEN / c.golden, written);
        EXPECT_FALSE(written.empty()) << c.golden;
        EXPECT_TRUE(written == test::ReadFileBytes(GOLDEN / c.golden))
            << c.golden << " differs from " << (GOLDEN / c.golden).string();
    }
}

}  // namespace
}  // namespace varnelo
