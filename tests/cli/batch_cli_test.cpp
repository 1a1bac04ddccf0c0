// Several data files at once, and the usage rules of indices and points.
#include "cli_fixture.h"

namespace varnelo {
namespace {

namespace fs = std::filesystem;
using test::CliFixture;
using test::RunCli;

TEST_F(CliFixture, IndexNamesAndBatchOutputsAreCheckedBeforeAnythingRuns) {
    const struct {
        std::vector<std::string> arguments;
        const char* said;
    } cases[] = {
        {{"indices", input.string(), "-o", "x.csv", "--index", "evi"}, "'evi'"},
        {{"points", input.string(), "-o", "x.geojson", "--index", "nd:300:700"}, "'nd:300:700'"},
        {{"indices", input.string(), "-o", "x.csv", "--index", "ndvi", "--index", "nd:750"}, "'nd:750'"},
        {{"indices", "-o", "x.csv"}, "got 0 arguments"},
        {{"points", input.string(), input.string(), "-o", "-"}, "need a folder"},
        {{"track", input.string(), input.string(), "-o", "out"}, "--format"},
    };
    for (const auto& c : cases) {
        const auto result = RunCli(c.arguments, test::InFolder(dir.path()));
        EXPECT_EQ(result.status, 2) << c.said;
        EXPECT_NE(result.err.find(c.said), std::string::npos) << result.err;
        test::ExpectOneLine(result, c.said);
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1) << "nothing written";
}

TEST_F(CliFixture, ABatchGoesOnPastAFailingFileAndMatchesSingleRuns) {
    fs::create_directory(dir / "b");
    fs::copy_file(input, dir / "b" / "day2.vrnldata");
    test::WriteFileBytes(dir / "bad.vrnldata", {1, 2, 3});
    const std::vector<std::string> inputs{input.string(), (dir / "bad.vrnldata").string(),
                                          (dir / "b" / "day2.vrnldata").string()};
    const struct {
        std::vector<std::string> options;
        const char* extension;
    } commands[] = {
        {{"export", "--mode", "reflectance"}, ".csv"},
        {{"track", "--format", "geojson"}, ".geojson"},
        {{"indices", "--index", "nd:750:705"}, ".csv"},
        {{"points", "--profiles"}, ".geojson"},
    };
    for (const auto& c : commands) {
        const fs::path folder = dir / "out" / c.options.front();
        auto arguments = c.options;
        arguments.insert(arguments.end(), inputs.begin(), inputs.end());
        arguments.insert(arguments.end(), {"-o", folder.string()});
        const auto batch = RunCli(arguments);
        EXPECT_EQ(batch.status, 1) << c.options.front();
        EXPECT_NE(batch.err.find("bad.vrnldata"), std::string::npos) << batch.err;
        EXPECT_FALSE(fs::exists(folder / (std::string("bad") + c.extension)));
        for (const char* name : {"in", "day2"}) {
            auto single = c.options;
            single.insert(single.end(), {input.string(), "-o", "-"});
            const auto alone = RunCli(single);
            ASSERT_EQ(alone.status, 0) << alone.err;
            // The layer names the file it was made from; the rest is the same.
            const auto unnamed = [](std::string text) {
                const std::size_t from = text.find("\"varnelo\":");
                if (from != std::string::npos) text.erase(from, text.find("\"features\"") - from);
                return text;
            };
            EXPECT_EQ(unnamed(Text(folder / (std::string(name) + c.extension))), unnamed(alone.out))
                << c.options.front() << " " << name;
        }
    }
}

TEST_F(CliFixture, ABatchThatWouldCollideOrOverwriteAnInputWritesNothing) {
    fs::create_directories(dir / "a");
    fs::create_directories(dir / "b");
    fs::copy_file(input, dir / "a" / "day.vrnldata");
    fs::copy_file(input, dir / "b" / "day.vrnldata");
    // A data file named like the CSV file its export would write.
    fs::create_directories(dir / "c");
    fs::copy_file(input, dir / "c" / "day.csv");
    const struct {
        std::vector<std::string> arguments;
        fs::path folder;
        const char* said;
    } cases[] = {
        {{"indices", (dir / "a" / "day.vrnldata").string(), (dir / "b" / "day.vrnldata").string()}, dir / "new",
         "would both be written to"},
        {{"export", input.string(), (dir / "c" / "day.csv").string()}, dir / "c", "is one of the data files being read"},
    };
    for (const auto& c : cases) {
        auto arguments = c.arguments;
        arguments.insert(arguments.end(), {"-o", c.folder.string()});
        const auto result = RunCli(arguments);
        EXPECT_EQ(result.status, 1) << c.said;
        EXPECT_NE(result.err.find(c.said), std::string::npos) << result.err;
        test::ExpectOneLine(result, c.said);
    }
    EXPECT_FALSE(fs::exists(dir / "new"));
    EXPECT_EQ(test::ReadFileBytes(dir / "c" / "day.csv"), inputBytes);
    EXPECT_FALSE(fs::exists(dir / "c" / "in.csv"));
}

}  // namespace
}  // namespace varnelo
