#include <fcntl.h>
#include <unistd.h>

#include <regex>

#include "cli_fixture.h"

namespace varnelo {
namespace {

using test::CliFixture;
using test::RunCli;

const char* const COMMANDS[] = {"simulate", "info", "download", "list", "export", "plot", "track", "sensors", "upload-sensor"};

TEST(CliConventions, VersionAndHelpNameTheCommand) {
    const auto version = RunCli({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_TRUE(std::regex_match(version.out, std::regex("varnelo-cli [0-9]+(\\.[0-9]+)+\n"))) << version.out;

    const auto usage = RunCli({"help"});
    EXPECT_EQ(usage.status, 0);
    for (const char* command : COMMANDS) {
        EXPECT_NE(usage.out.find(std::string("varnelo-cli ") + command), std::string::npos) << command;
        const auto help = RunCli({"help", command});
        EXPECT_EQ(help.status, 0) << command;
        EXPECT_EQ(help.out.rfind(std::string("Usage: varnelo-cli ") + command + " [options]", 0), 0u) << help.out;
        EXPECT_EQ(help.err, "");
        EXPECT_EQ(RunCli({command, "--help"}).out, help.out) << command;
    }
}

TEST_F(CliFixture, UsageErrorsExitTwoAndFailuresOne) {
    const std::string in = input.string();
    const std::string out = (dir / "out").string();
    const struct {
        std::vector<std::string> arguments;
        int status;
    } cases[] = {
        {{"frobnicate"}, 2},
        {{"help", "frobnicate"}, 2},
        {{"export", "--help-all"}, 2},
        {{"list"}, 2},
        {{"info", "--sim", "extra"}, 2},
        {{"export", in}, 2},
        {{"plot", in}, 2},
        {{"export", in, "-o", out, "--mode", "3ch"}, 2},
        {{"track", in, "-o", out + ".kml"}, 2},
        {{"track", in, "-o", "-", "--format", "kml"}, 2},
        {{"plot", in, "--record", "seven", "-o", out}, 2},
        {{"download", "--port", "-o", out}, 2},  // the port was left out, -o is not it
        {{"download", "--sim", "--port", "x", "-o", out}, 2},
        {{"plot", in, "-o", "-"}, 2},  // standard output takes text only
        {{"download", "--sim", "-o", "-"}, 2},
        {{"list", (dir / "missing.vrnldata").string()}, 1},
        {{"export", (dir / "missing.vrnldata").string(), "-o", out}, 1},
        {{"plot", in, "--record", "5", "-o", out}, 1},
        {{"export", in, "-o", (dir / "no" / "out.csv").string()}, 1},
    };
    for (const auto& c : cases) {
        const auto result = RunCli(c.arguments);
        const std::string context = c.arguments.front() + " " + c.arguments.back();
        EXPECT_EQ(result.status, c.status) << context << ": " << result.err;
        test::ExpectOneLine(result, context);
    }
    EXPECT_NE(RunCli(cases[11].arguments).err.find("--port needs a value"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(out));
}

TEST_F(CliFixture, StandardOutputThatCannotBeWrittenFailsAndAClosedPipeIsQuiet) {
    test::CliSetting full;
    full.standardOutput = ::open("/dev/full", O_WRONLY);
    ASSERT_GE(full.standardOutput, 0);
    for (const std::vector<std::string>& arguments : {
             std::vector<std::string>{"list", input.string()},
             std::vector<std::string>{"--version"},
             std::vector<std::string>{"info", "--sim"},
             std::vector<std::string>{"export", input.string(), "-o", "-"},
             std::vector<std::string>{"track", input.string(), "-o", "-", "--format", "gpx"},
         }) {
        const auto result = RunCli(arguments, full);
        EXPECT_EQ(result.status, 1) << arguments.front();
        EXPECT_NE(result.err.find("standard output"), std::string::npos) << result.err;
        test::ExpectOneLine(result, arguments.front());
    }
    ::close(full.standardOutput);

    int pipe[2];
    ASSERT_EQ(::pipe(pipe), 0);
    ::close(pipe[0]);  // the reader has gone, as after `| head`
    test::CliSetting closed;
    closed.standardOutput = pipe[1];
    const auto result = RunCli({"export", input.string(), "-o", "-"}, closed);
    ::close(pipe[1]);
    EXPECT_NE(result.status, 0);
    EXPECT_EQ(result.err, "");
}

// plot is a program of its own; a varnelo-cli without it says which is missing.
TEST_F(CliFixture, PlotWithoutItsProgramFailsSayingSo) {
    test::CliSetting lone;
    lone.program = dir / "varnelo-cli";
    std::filesystem::copy_file(test::CliPath(), lone.program);
    for (const std::vector<std::string>& arguments : {std::vector<std::string>{"plot", input.string(), "-o", "x.png"},
                                                      std::vector<std::string>{"help", "plot"}}) {
        const auto result = RunCli(arguments, lone);
        EXPECT_EQ(result.status, 1) << arguments.front();
        EXPECT_NE(result.err.find("cannot find varnelo-cli-plot"), std::string::npos) << result.err;
        test::ExpectOneLine(result, arguments.front());
    }
}

TEST_F(CliFixture, AnEmptyFileIsReadWithAWarning) {
    test::WriteFileBytes(dir / "empty.vrnldata", {});
    const auto result = RunCli({"list", (dir / "empty.vrnldata").string()});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, "");
    EXPECT_NE(result.err.find("empty.vrnldata holds no records"), std::string::npos) << result.err;
}

// What is refused says what was wrong, in one line.
TEST_F(CliFixture, RefusalsSayWhatWasWrong) {
    namespace fs = std::filesystem;
    for (const char* name : {"b.vrnldata", "cut.vrnldata"}) fs::copy_file(input, dir / name);
    fs::resize_file(dir / "cut.vrnldata", DataFileSize(3) + 100);  // 5 announced
    const std::string in = input.string(), b = (dir / "b.vrnldata").string(), cut = (dir / "cut.vrnldata").string();
    const std::string out = (dir / "x.csv").string(), png = (dir / "x.png").string();
    const struct {
        std::vector<std::string> arguments;
        int status;
        std::string message;
    } cases[] = {
        {{"list", cut}, 1, cut + " is cut short: it announces 5 records but holds 3"},
        {{"indices", in, b, in, "-o", out}, 2, "-o " + out + " names a file, but 3 inputs need a folder"},
        {{"points", in, b, "-o", (dir / "x.GeoJSON").string()}, 2, "names a file, but 2 inputs need a folder"},
        {{"indices", in, "--index", "nd:700:700", "-o", out}, 2, "'nd:700:700' names one wavelength twice"},
        {{"plot", in, "--record", "-1", "-o", png}, 2, "--record '-1' is not a record number"},
        {{"plot", in, "-o", (dir / "x.gif").string()}, 2, "plot writes PNG (.png) or JPEG (.jpg, .jpeg) images"},
    };
    for (const auto& t : cases) {
        const auto result = test::RunCli(t.arguments);
        EXPECT_EQ(result.status, t.status) << t.message << ": " << result.err;
        EXPECT_NE(result.err.find(t.message), std::string::npos) << result.err;
        test::ExpectOneLine(result, t.message);
    }
    EXPECT_FALSE(fs::exists(out) || fs::exists(png) || fs::exists(dir / "x.gif"));
    // An index asked for twice is one column and one property; a .jpg is JPEG.
    EXPECT_EQ(test::RunCli({"indices", in, "--index", "ndvi", "--index", "NDVI", "-o", "-"}).out.find("NDVI,N"), std::string::npos);
    const std::string layer = test::RunCli({"points", in, "--index", "pri", "--index", "PRI", "-o", "-"}).out;
    EXPECT_EQ(layer.find("\"PRI\":"), layer.rfind("\"PRI\":", layer.find("}}")));
    ASSERT_EQ(test::RunCli({"plot", in, "-o", (dir / "x.JPG").string()}).status, 0);
    EXPECT_EQ(test::ReadFileBytes(dir / "x.JPG").at(1), 0xD8);  // FF D8 starts a JPEG
}

}  // namespace
}  // namespace varnelo
