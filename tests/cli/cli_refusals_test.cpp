// What varnelo-cli refuses, and how it says so: one line, exit status 2 for
// a usage error and 1 for anything else, nothing written.
#include <filesystem>

#include "cli_fixture.h"

namespace varnelo {
namespace {

using test::CliFixture;
namespace fs = std::filesystem;

TEST_F(CliFixture, RefusalsSayWhatWasWrong) {
    fs::copy_file(input, dir / "b.vrnldata");
    fs::copy_file(input, dir / "c.vrnldata");
    fs::copy_file(input, dir / "cut.vrnldata");
    fs::resize_file(dir / "cut.vrnldata", DataFileSize(3) + 100);  // 5 announced
    const std::string in = input.string(), b = (dir / "b.vrnldata").string(), c = (dir / "c.vrnldata").string();
    const std::string cut = (dir / "cut.vrnldata").string(), out = (dir / "x.csv").string();
    const struct {
        std::vector<std::string> arguments;
        int status;
        std::string message;
    } cases[] = {
        {{"list", cut}, 1, cut + " is cut short: it announces 5 records but holds 3"},
        {{"indices", in, b, c, "-o", out}, 2, "-o " + out + " names a file, but 3 inputs need a folder"},
        {{"points", in, b, "-o", (dir / "x.GeoJSON").string()}, 2, "names a file, but 2 inputs need a folder"},
        {{"indices", in, "--index", "nd:700:700", "-o", out}, 2, "'nd:700:700' names one wavelength twice"},
        {{"plot", in, "--record", "-1", "-o", (dir / "x.png").string()}, 2, "--record '-1' is not a record number"},
        {{"plot", in, "-o", (dir / "x.gif").string()}, 2, "plot writes PNG (.png) or JPEG (.jpg, .jpeg) images"},
    };
    for (const auto& t : cases) {
        const auto result = test::RunCli(t.arguments);
        EXPECT_EQ(result.status, t.status) << t.message << ": " << result.err;
        EXPECT_NE(result.err.find(t.message), std::string::npos) << result.err;
        test::ExpectOneLine(result, t.message);
    }
    EXPECT_FALSE(fs::exists(out));
    EXPECT_FALSE(fs::exists(dir / "x.gif"));
}

TEST_F(CliFixture, AnIndexAskedForTwiceIsWrittenOnceAndJpegIsJpeg) {
    const auto table = test::RunCli({"indices", input.string(), "--index", "ndvi", "--index", "ndvi", "-o", "-"});
    ASSERT_EQ(table.status, 0) << table.err;
    EXPECT_EQ(table.out.substr(0, table.out.find('\r')).find("NDVI,"), std::string::npos) << table.out;
    const auto layer = test::RunCli({"points", input.string(), "--index", "pri", "--index", "PRI", "-o", "-"});
    ASSERT_EQ(layer.status, 0) << layer.err;
    EXPECT_EQ(layer.out.find("\"PRI\":"), layer.out.rfind("\"PRI\":", layer.out.find("}}")));
    ASSERT_EQ(test::RunCli({"plot", input.string(), "-o", (dir / "x.JPG").string()}).status, 0);
    EXPECT_EQ(test::ReadFileBytes(dir / "x.JPG").at(1), 0xD8);  // FF D8: a JPEG's start of image
}

}  // namespace
}  // namespace varnelo
