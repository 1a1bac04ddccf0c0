// What both programs take from the system as it is: a data file through a
// pipe, file names that are not UTF-8, a settings file saved with a
// byte-order mark, and the desktop program's switches without a display.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <fstream>
#include <string>

#include "cli_fixture.h"

namespace varnelo::test {
namespace {

ProcessResult RunShell(const std::string& script, const std::filesystem::path& folder) {
    CliSetting setting = InFolder(folder);
    setting.program = "/bin/sh";
    setting.environment = {std::string("CLI=") + CliPath(), std::string("VARNELO=") + VARNELO_APP_PATH};
    return RunCli({"-c", script}, setting);
}

// `cat A | varnelo-cli export /dev/stdin` writes what exporting A writes; a
// pipe that brings nothing, or half a file, is refused, never exported empty.
TEST_F(CliFixture, AnExportReadsADataFileThroughAPipe) {
    ASSERT_EQ(RunCli({"export", input.string(), "-o", (dir / "direct.csv").string()}).status, 0);
    const struct {
        const char* what;
        std::string feed;
        int status;
    } cases[] = {
        {"the whole file", "cat in.vrnldata", 0},
        {"nothing", "true", 1},
        {"all but its last byte", "head -c -1 in.vrnldata", 1},
    };
    for (const auto& c : cases) {
        std::filesystem::remove(dir / "piped.csv");
        const ProcessResult result = RunShell(std::string(c.feed) + " | \"$CLI\" export /dev/stdin -o piped.csv", dir.path());
        EXPECT_EQ(result.status, c.status) << c.what << ": " << result.err;
        if (c.status == 0) {
            EXPECT_EQ(ReadFileBytes(dir / "piped.csv"), ReadFileBytes(dir / "direct.csv")) << c.what;
        } else {
            ExpectOneLine(result, c.what);
            EXPECT_FALSE(std::filesystem::exists(dir / "piped.csv")) << c.what;
        }
    }
}

// A name in Latin-1 or Shift-JIS bytes is written and read under exactly
// those bytes.
TEST_F(CliFixture, FileNamesReachTheSystemByteForByte) {
    for (const std::string name : {"dl\xfe", "\x93\xfa\x97\x6a", "日曜"}) {
        const auto data = dir / (name + ".vrnldata");
        const ProcessResult download = RunCli({"download", "--sim", "--records", "3", "-o", data.string()});
        ASSERT_EQ(download.status, 0) << download.err;
        EXPECT_TRUE(std::filesystem::exists(data)) << name;
        const auto csv = dir / (name + ".csv");
        const ProcessResult exported = RunCli({"export", data.string(), "-o", csv.string()});
        EXPECT_EQ(exported.status, 0) << exported.err;
        EXPECT_TRUE(std::filesystem::exists(csv)) << name;
        std::filesystem::remove(data);
        std::filesystem::remove(csv);
    }
}

TEST_F(CliFixture, ASettingsFileWithAByteOrderMarkKeepsItsFirstHead) {
    std::ofstream(dir / "heads.csv", std::ios::binary) << "\xEF\xBB\xBF" "C12880MA,FIRST,1,2,3,4,5,6\r\nC12880MA,SECOND,1\r\n";
    const ProcessResult result = RunCli({"sensors", (dir / "heads.csv").string()});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_NE(result.out.substr(0, result.out.find('\n')).find("\"FIRST\""), std::string::npos) << result.out;
    EXPECT_NE(result.out.find("SECOND"), std::string::npos) << result.out;
}

// --help, --version and a bad switch answer without any display.
TEST(DesktopProgram, SwitchesAnswerWithoutADisplay) {
    TempDir dir;
    const struct {
        const char* arguments;
        int status;
        const char* says;
    } cases[] = {
        {"--help", 0, "--sim"},
        {"--version", 0, "Varnelo 1.0"},
        {"--no-such-switch", 2, "no-such-switch"},
        {"", 1, "varnelo needs a display (set DISPLAY or QT_QPA_PLATFORM=offscreen); varnelo-cli works without one\n"},
    };
    for (const auto& c : cases) {
        const ProcessResult result =
            RunShell(std::string("env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM \"$VARNELO\" ") + c.arguments, dir.path());
        EXPECT_EQ(result.status, c.status) << c.arguments << ": " << result.err;
        EXPECT_NE((result.out + result.err).find(c.says), std::string::npos) << c.arguments << ": " << result.out
                                                                             << result.err;
    }
}

}  // namespace
}  // namespace varnelo::test
