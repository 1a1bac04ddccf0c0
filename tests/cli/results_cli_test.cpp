// bands and library from the command line: what is refused, and the bands
// left out said once.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <chrono>
#include <fstream>

#include "cli/cli_fixture.h"

namespace varnelo::test {
namespace {

namespace fs = std::filesystem;

TEST_F(CliFixture, BadStageAndBandValuesAreUsageErrorsNamingTheValue) {
    WriteFileBytes(dir / "nowl.csv", {'n', 'm', '2', ',', 'A', '\n', '5', '0', '0', ',', '1', '\n'});
    const std::string text = "nm,A\n500,0\n500,1\n";
    WriteFileBytes(dir / "down.csv", std::vector<std::uint8_t>(text.begin(), text.end()));
    const std::string cell = "nm,A\n500,1\n501,x\t\033[2J" + std::string(100, 'y') + '\0' + "\n";
    WriteFileBytes(dir / "cell.csv", std::vector<std::uint8_t>(cell.begin(), cell.end()));
    WriteFileBytes(dir / "long.csv", std::vector<std::uint8_t>((64 << 10) + 1, '0'));
    std::ofstream(dir / "big.csv") << "nm,A\n";
    fs::resize_file(dir / "big.csv", (16 << 20) + 1);
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);  // nobody ever writes it
    const std::string in = input.string(), out = (dir / "o.csv").string();
    const struct {
        std::vector<std::string> arguments;
        const char* named;
    } cases[] = {
        {{"indices", in, "-o", out, "--smooth", "sg:4:2"}, "sg:4:2"},
        {{"indices", in, "-o", out, "--smooth", "sg:5:5"}, "sg:5:5"},
        {{"bands", in, "-o", out, "--sensor", "s2a", "--smooth", "sg:53:2"}, "sg:53:2"},
        {{"library", in, "-o", (dir / "l.sli").string(), "--mean", "0"}, "'0'"},
        {{"indices", in, "-o", out, "--mean", "gap:-1"}, "gap:-1"},
        {{"indices", in, "-o", out, "--derivative"}, "--smooth"},
        {{"points", in, "-o", out, "--sky-change", "x"}, "'x'"},
        {{"bands", in, "-o", out, "--sensor", "s2b"}, "'s2b'"},
        {{"bands", in, "-o", out, "--srf", (dir / "nowl.csv").string()}, "wavelength column"},
        {{"bands", in, "-o", out, "--srf", (dir / "down.csv").string()}, "500 does not increase"},
        {{"bands", in, "-o", out, "--srf", (dir / "cell.csv").string()}, "line 3: 'x\\t\\x1B[2Jyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyy...' is"},
        {{"bands", in, "-o", out, "--srf", dir.path().string()}, "is a directory"},
        {{"bands", in, "-o", out, "--srf", (dir / "fifo").string()}, "fifo is not a regular file"},
        {{"bands", in, "-o", out, "--srf", "/dev/zero"}, "/dev/zero is not a regular file"},
        {{"bands", in, "-o", out, "--srf", (dir / "big.csv").string()}, "larger than the 16 MiB"},
        {{"bands", in, "-o", out, "--srf", (dir / "long.csv").string()}, "line 1 is longer than the 64 KiB"},
        {{"bands", in, "-o", out, "--srf", (dir / "down.csv").string(), "--sensor", "l8"}, "not both"},
        {{"indices", in, "-o", out, "--utc-offset", "+14:30"}, "'+14:30'"},
        {{"track", in, "-o", (dir / "t.gpx").string(), "--utc-offset", "9"}, "'9'"},
        {{"bands", in, "-o", out, "--sensor", "l8", "--saturation", "0"}, "--saturation '0'"},
        {{"library", in, "-o", (dir / "l.sli").string(), "--max-zenith", "91x"}, "--max-zenith '91x'"},
        {{"indices", in, "-o", out, "--panel", "1,5"}, "go together"},
        {{"points", in, "-o", out, "--panel", "1,5", "--panel-reflectance", "0.99"}, "record 5 but"},
        {{"netcdf", in, "-o", (dir / "n.nc").string(), "--panel", "4-9", "--panel-reflectance", "0.9"}, "record 9"},
        {{"bands", in, "-o", out, "--sensor", "l8", "--panel", "1", "--panel-reflectance", "nope.csv"}, "nope.csv"},
    };
    CliSetting bounded;
    bounded.memoryLimit = 1L << 30;
    for (const auto& c : cases) {
        const auto start = std::chrono::steady_clock::now();
        const ProcessResult result = RunCli(c.arguments, bounded);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10)) << c.named;
        EXPECT_EQ(result.status, 2) << c.named << ": " << result.err;
        EXPECT_NE(result.err.find(c.named), std::string::npos) << result.err;
        ExpectOneLine(result, c.named);
        EXPECT_FALSE(std::filesystem::exists(out));
    }
}

TEST_F(CliFixture, BandsLeftOutAreSaidOnceAndPartialKeepsThem) {
    const fs::path out = dir / "bands";
    fs::copy_file(input, dir / "second.vrnldata");
    const ProcessResult left =
        RunCli({"bands", input.string(), (dir / "second.vrnldata").string(), "-o", out.string(), "--sensor", "s2a"});
    EXPECT_EQ(left.status, 0) << left.err;
    EXPECT_EQ(left.err,
              "varnelo-cli: warning: B8 covers 65 % of its response: left out; --partial keeps it\n"
              "varnelo-cli: warning: B8A covers 5 % of its response: left out; --partial keeps it\n");
    const ProcessResult kept = RunCli({"bands", input.string(), "-o", "-", "--sensor", "S2a", "--partial"});
    EXPECT_EQ(kept.out.substr(0, kept.out.find('\r')),
              "record,time,latitude (deg),longitude (deg),qc,B1,B2,B3,B4,B5,B6,B7,B8,B8_coverage,B8A,B8A_coverage");
    const fs::path layer = dir / "p.geojson";
    ASSERT_EQ(RunCli({"points", input.string(), "-o", layer.string(), "--profiles", "--smooth", "sg:7:2"}).status, 0);
    EXPECT_NE(Text(layer).find("\"stages\":\"smooth sg:7:2\"},\"features\""), std::string::npos);
    EXPECT_NE(Text(dir / "p.qml").find("<editWidget type=\"SpectralProfile\">"), std::string::npos);
    const ProcessResult over = RunCli({"library", input.string(), "-o", (dir / "in.sli").string()});
    EXPECT_EQ(over.status, 0) << over.err;
    fs::copy_file(input, dir / "x.hdr");
    const ProcessResult refused = RunCli({"library", (dir / "x.hdr").string(), "-o", (dir / "x.sli").string()});
    EXPECT_EQ(refused.status, 1);
    EXPECT_FALSE(fs::exists(dir / "x.sli"));
}

}  // namespace
}  // namespace varnelo::test
