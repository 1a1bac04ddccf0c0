#include <cerrno>
#include <cstring>
#include <memory>

#include "cli_fixture.h"

namespace varnelo {
namespace {

namespace fs = std::filesystem;
using test::CliFixture;
using test::InFolder;
using test::RunCli;

TEST_F(CliFixture, AnOutputThatIsTheInputIsRefused) {
    fs::create_symlink("in.vrnldata", dir / "link.csv");
    fs::create_hard_link(input, dir / "hard.gpx");
    const std::string names[] = {input.string(), (dir / "link.csv").string(), (dir / "hard.gpx").string(),
                                 "./in.vrnldata"};
    for (const std::string& name : names) {
        for (const std::vector<std::string>& arguments : {
                 std::vector<std::string>{"export", input.string(), "-o", name},
                 std::vector<std::string>{"plot", input.string(), "-o", name},
                 std::vector<std::string>{"track", input.string(), "-o", name, "--format", "gpx"},
             }) {
            const auto result = RunCli(arguments, InFolder(dir.path()));
            EXPECT_EQ(result.status, 1) << arguments.front() << " " << name;
            EXPECT_NE(result.err.find("is the data file being read"), std::string::npos) << result.err;
            ASSERT_EQ(test::ReadFileBytes(input), inputBytes) << arguments.front() << " " << name;
        }
    }
    EXPECT_TRUE(fs::is_symlink(dir / "link.csv"));
}

TEST_F(CliFixture, StandardOutputTakesTextOutputs) {
    for (const std::vector<std::string>& arguments : {
             std::vector<std::string>{"export", input.string(), "--mode", "reflectance", "-o"},
             std::vector<std::string>{"track", input.string(), "--format", "geojson", "-o"},
         }) {
        auto toFile = arguments;
        toFile.push_back((dir / "out").string());
        ASSERT_EQ(RunCli(toFile).status, 0) << arguments.front();
        auto toStandardOutput = arguments;
        toStandardOutput.push_back("-");
        const auto piped = RunCli(toStandardOutput);
        EXPECT_EQ(piped.status, 0) << piped.err;
        EXPECT_EQ(piped.out, Text(dir / "out")) << arguments.front();
    }
    EXPECT_NE(Text(dir / "out").find("[139.7613150,-35.5187233"), std::string::npos) << "south is negative";
}

// The file size limit stands in for a full disk: writes beyond it fail as
// they fail on a full one (EFBIG), in the command's process alone. The disk
// fills at once (150 bytes) or half way through a long export whose earlier
// stretches were already flushed in the background (4 MB of 15 MB).
TEST_F(CliFixture, AFullDiskFailsClearlyAndKeepsTheOldFile) {
    const fs::path big = dir / "big.vrnldata";
    {
        auto doc = std::make_unique<CVarneloDoc>();
        for (int i = 0; i < 2000; ++i) {
            doc->record(i) = test::PatternRecord(static_cast<std::uint32_t>(i % 7));
            doc->record(i).set_gps_text("X,1,2," + std::to_string(3539.0 + i * 0.001) + ",N,13945.6789,E,1,2,9,3,4");
        }
        doc->setRecordCount(2000);
        ASSERT_TRUE(SaveDataFile(big, *doc));
    }
    const struct {
        std::vector<std::string> arguments;
        const char* output;
        long limit;
    } cases[] = {
        {{"plot", input.string(), "-o", "out.png"}, "out.png", 150},
        {{"export", input.string(), "-o", "out.csv"}, "out.csv", 150},
        {{"export", big.string(), "-o", "out.csv"}, "out.csv", 4 * 1024 * 1024},
        {{"track", input.string(), "-o", "out.gpx"}, "out.gpx", 150},
        {{"download", "--sim", "--records", "3", "-o", "out.vrnldata"}, "out.vrnldata", 150},
    };
    for (const auto& c : cases) {
        test::TempDir folder;
        const std::vector<std::uint8_t> old = {'o', 'l', 'd'};
        test::WriteFileBytes(folder / c.output, old);
        test::CliSetting full = InFolder(folder.path());
        full.fileSizeLimit = c.limit;
        const auto result = RunCli(c.arguments, full);
        const std::string context = c.arguments.front() + " " + std::to_string(c.limit) + ": " + result.err;
        EXPECT_EQ(result.status, 1) << context;
        test::ExpectOneLine(result, context);
        EXPECT_NE(result.err.find(c.output), std::string::npos) << context;
        EXPECT_NE(result.err.find(std::strerror(EFBIG)), std::string::npos) << context;
        EXPECT_EQ(test::ReadFileBytes(folder / c.output), old) << context;
        EXPECT_EQ(test::EntriesIn(folder.path()), 1u) << context << ": no temporary file is left behind";
    }
}

}  // namespace
}  // namespace varnelo
