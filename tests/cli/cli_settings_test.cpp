#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>

#include "support/simulator_process.h"
#include "support/test_support.h"

namespace varnelo {
namespace {

void WriteText(const std::filesystem::path& path, const std::string& text) {
    test::WriteFileBytes(path, std::vector<std::uint8_t>(text.begin(), text.end()));
}

const std::string HEADS =
    "type,name,a0,a1,a2,a3,a4,a5\r\n"
    "\"C12880MA\",\" Blank \",1,2,3,4,5,6\r\n"
    "C12880MA,Esc\x1B[2J,-1.5E+02\r\n"
    "C12880MA,RED-7,3.1e-1,2,3,4,5,6\r\n";

TEST(CliSettings, SensorsListsEachHeadWithItsSixCoefficients) {
    test::TempDir dir;
    const auto file = dir / "heads.csv";
    WriteText(file, HEADS);
    const auto result = test::RunCli({"sensors", file.string()});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out,
              "\" Blank \" +1.00000000E+00 +2.00000000E+00 +3.00000000E+00 +4.00000000E+00 +5.00000000E+00 "
              "+6.00000000E+00\n"
              "\"Esc\\x1B[2J\" -1.50000000E+02 +0.00000000E+00 +0.00000000E+00 +0.00000000E+00 +0.00000000E+00 "
              "+0.00000000E+00\n"
              "\"RED-7\" +3.10000000E-01 +2.00000000E+00 +3.00000000E+00 +4.00000000E+00 +5.00000000E+00 "
              "+6.00000000E+00\n");
}

TEST(CliSettings, UploadToTheBuiltInLoggerIsVerified) {
    test::TempDir dir;
    const auto file = dir / "heads.csv";
    WriteText(file, HEADS);
    const auto result = test::RunCli(
        {"upload-sensor", "--sim", "--settings", file.string(), "--sensor", " Blank ", "--channel", "2", "--verify"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "ch.2 of the logger on SIM now holds \" Blank \" (read back and verified)\n");
}

TEST(CliSettings, FailuresAndUsageErrorsAreOneLine) {
    test::TempDir dir;
    const auto file = dir / "heads.csv";
    WriteText(file, HEADS);
    const std::string path = file.string();
    const struct {
        std::vector<std::string> arguments;
        int status;
        std::string says;
    } cases[] = {
        {{"upload-sensor", "--sim", "--settings", path, "--sensor", "Blank", "--channel", "1"},
         1,
         "no sensor head named \"Blank\" in " + path + "; it lists \" Blank \", \"Esc\\x1B[2J\", \"RED-7\""},
        {{"upload-sensor", "--sim", "--settings", (dir / "none.csv").string(), "--sensor", "RED-7", "--channel", "1"},
         1,
         "cannot read the settings file"},
        {{"upload-sensor", "--sim", "--settings", path, "--sensor", "RED-7", "--channel", "3"}, 2, "channel"},
        {{"upload-sensor", "--sim", "--settings", path, "--channel", "1"}, 2, "--sensor NAME"},
        {{"upload-sensor", "--sim", "--sensor", "RED-7", "--channel", "1"}, 2, "--settings FILE"},
        {{"sensors"}, 2, "expected one settings file"},
        {{"sensors", (dir / "none.csv").string()}, 1, "none.csv"},
        {{"sensors", dir.path().string()}, 1, dir.path().string() + ": is a directory"},
        {{"sensors", (dir / "fifo").string()}, 1, "fifo: is not a regular file"},
        {{"upload-sensor", "--sim", "--settings", path, "--sensor", "A\nB" + std::string(60, 'C'), "--channel", "1"},
         1,
         "named \"A\\nB" + std::string(37, 'C') + "...\" in"},
    };
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);  // nobody ever writes it
    for (const auto& c : cases) {
        const auto result = test::RunCli(c.arguments);
        EXPECT_EQ(result.status, c.status) << result.err;
        EXPECT_NE(result.err.find(c.says), std::string::npos) << result.err;
        EXPECT_EQ(test::LineCount(result.err), 1u) << result.err;
        EXPECT_EQ(result.out, "");
    }
}

TEST(CliSettings, UploadRoundTripsThroughAPseudoTerminalLogger) {
    test::SimulatorProcess simulator({"--records", "3"});
    test::TempDir dir;
    const auto file = dir / "heads.csv";
    WriteText(file, HEADS + "C12880MA,A-NAME-LONGER-THAN-15,7\n");
    const auto upload = test::RunCli({"upload-sensor", "--port", simulator.port(), "--settings", file.string(),
                                      "--sensor", "A-NAME-LONGER-THAN-15", "--channel", "1", "--verify"});
    ASSERT_EQ(upload.status, 0) << upload.err;
    EXPECT_NE(upload.out.find("now holds \"A-NAME-LONGER-T\" (read back and verified)"), std::string::npos)
        << upload.out;
    EXPECT_NE(upload.err.find("cut to \"A-NAME-LONGER-T\""), std::string::npos) << upload.err;

    // The logger keeps the block for the next connection.
    const auto info = test::RunCli({"info", "--port", simulator.port()});
    ASSERT_EQ(info.status, 0) << info.err;
    EXPECT_NE(info.out.find("ch.1 sensor: A-NAME-LONGER-T\n"), std::string::npos) << info.out;
    EXPECT_NE(info.out.find("ch.1 coefficients: +7.00000000E+00 +0.00000000E+00"), std::string::npos) << info.out;
}

}  // namespace
}  // namespace varnelo
