#include "cli_fixture.h"

namespace varnelo {
namespace {

namespace fs = std::filesystem;
using test::CliFixture;
using test::InFolder;
using test::RunCli;

std::size_t Entries(const fs::path& folder) {
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

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

TEST_F(CliFixture, AFullDiskFailsAndKeepsTheOldFile) {
    const struct {
        std::vector<std::string> arguments;
        const char* output;
    } cases[] = {
        {{"plot", input.string(), "-o", "out.png"}, "out.png"},
        {{"export", input.string(), "-o", "out.csv"}, "out.csv"},
        {{"track", input.string(), "-o", "out.gpx"}, "out.gpx"},
        {{"download", "--sim", "--records", "3", "-o", "out.vrnldata"}, "out.vrnldata"},
    };
    for (const auto& c : cases) {
        test::TempDir folder;
        const std::vector<std::uint8_t> old = {'o', 'l', 'd'};
        test::WriteFileBytes(folder / c.output, old);
        // The old file fits; anything longer than 150 bytes does not.
        test::CliSetting full = InFolder(folder.path());
        full.fileSizeLimit = 150;
        const auto result = RunCli(c.arguments, full);
        EXPECT_EQ(result.status, 1) << c.output << ": " << result.err;
        EXPECT_NE(result.err.find(c.output), std::string::npos) << result.err;
        EXPECT_EQ(test::ReadFileBytes(folder / c.output), old) << c.output;
        EXPECT_EQ(Entries(folder.path()), 1u) << c.output << ": no temporary file is left behind";
    }
}

}  // namespace
}  // namespace varnelo
