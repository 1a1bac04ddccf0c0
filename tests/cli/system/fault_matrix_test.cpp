// The command line against a logger that misbehaves in every way the field
// offers, on a real pseudo-terminal through the real serial code. For each
// fault: no wait beyond the exchange deadline and its one retry, no half
// record in the saved file, a message that says what happened, and a new
// download that succeeds once the logger answers again.
#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include "data/data_file.h"
#include "device/device_link.h"
#include "simulator/simulated_content.h"
#include "support/simulator_process.h"
#include "support/test_support.h"

namespace varnelo {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr int RECORDS = 20;
// One exchange timing out, the stale input discarded, the retry timing out;
// and time for two processes to start.
constexpr auto MOST_WAITED = 2 * EXCHANGE_TIMEOUT + 500ms + 3s;

struct Fault {
    const char* name;
    std::vector<std::string> switches;  // of `varnelo-cli simulate`
    int status;                         // of the download
    int saved;                          // records in the file; -1: no file at all
    const char* says;                   // on stderr
    bool answersAgain = true;           // a one-off fault: the next download gets everything
    int records = RECORDS;
};

std::ostream& operator<<(std::ostream& out, const Fault& fault) { return out << fault.name; }

const Fault FAULTS[] = {
    // One exchange unanswered while connecting: the others are still made.
    // The identity and the device information are not needed for the file
    // (a warning says what is missing); without the parameter block and the
    // count there is nothing to download.
    {"SilentAtIdentityB", {"--silent-at-exchange", "1"}, 0, RECORDS, "warning: identity B (command 2): 0 of 16"},
    {"SilentAtIdentityA", {"--silent-at-exchange", "2"}, 0, RECORDS, "warning: identity A (command 0): 0 of 32"},
    {"SilentAtDeviceInfo", {"--silent-at-exchange", "3"}, 0, RECORDS,
     "warning: device information (command 6): 0 of 208"},
    {"SilentAtParameters", {"--silent-at-exchange", "4"}, 1, -1, "did not answer: parameter block (command 8): 0 of"},
    {"SilentAtRecordCount", {"--silent-at-exchange", "5"}, 1, -1, "did not answer: record count (command 18): 0 of"},
    {"SilentAtRecord7", {"--silent-from", "7"}, 1, 7, "stopped at record 7: record select (command 140)"},
    {"ShortReplyOnce", {"--short-reply", "5"}, 0, RECORDS, ""},
    {"ShortReplyAlways", {"--short-reply", "5", "--persistent-faults"}, 1, 5,
     "record 5: record read (command 16): 3364 of 6728", false},
    {"ExtraByteOnce", {"--extra-byte", "5"}, 0, RECORDS, ""},
    {"ExtraByteAlways", {"--extra-byte", "5", "--persistent-faults"}, 1, 5, "longer than the 6728 bytes", false},
    {"DroppedByteOnce", {"--drop-byte", "0"}, 0, RECORDS, ""},
    {"CountZero", {"--report-count", "0"}, 0, 0, ""},
    {"CountNegative", {"--report-count", "-5"}, 0, 0, "reports -5 records; 0 are read"},
    // A count above capacity, 15000 of 20000 records, has its own test beside the download's.
    {"CountAtCapacity", {}, 0, RECORD_CAPACITY, "", true, RECORD_CAPACITY},
};

class FaultMatrix : public ::testing::TestWithParam<Fault> {};

TEST_P(FaultMatrix, CommandLineDownload) {
    const Fault& fault = GetParam();
    const bool full = fault.records == RECORD_CAPACITY;
    if (full && test::SANITIZED) GTEST_SKIP() << "100 MB over a pseudo-terminal is for the optimised build";
    std::vector<std::string> switches = {"--records", std::to_string(fault.records), "--seed", "9"};
    switches.insert(switches.end(), fault.switches.begin(), fault.switches.end());
    test::SimulatorProcess simulator(switches);
    test::TempDir dir;
    const SimulatedContent content(fault.records, 9);

    const auto file = dir / "logger.vrnldata";
    const auto start = Clock::now();
    const auto result = test::RunCli({"download", "--port", simulator.port(), "-o", file.string(), "--keep-partial"});
    EXPECT_LT(Clock::now() - start, full ? MOST_WAITED + 30s : MOST_WAITED);
    EXPECT_EQ(result.status, fault.status) << result.err;
    EXPECT_NE(result.err.find(fault.says), std::string::npos) << result.err;
    if (fault.status != 0) {
        EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
    }
    if (fault.saved < 0) {
        EXPECT_FALSE(std::filesystem::exists(file));
    } else {
        // Exactly the complete records: nothing half-received, nothing shifted.
        EXPECT_TRUE(test::ReadFileBytes(file) == test::ExpectedDataFile(content, fault.saved));
    }
    if (!fault.answersAgain || full) return;

    const auto again = dir / "again.vrnldata";
    const auto second = test::RunCli({"download", "--port", simulator.port(), "-o", again.string()});
    EXPECT_EQ(second.status, 0) << second.err;
    const int expected = fault.switches.empty() || fault.switches[0] != "--report-count" ? fault.records : fault.saved;
    EXPECT_TRUE(test::ReadFileBytes(again) == test::ExpectedDataFile(content, expected));
}

INSTANTIATE_TEST_SUITE_P(Faults, FaultMatrix, ::testing::ValuesIn(FAULTS),
                         [](const ::testing::TestParamInfo<Fault>& info) { return info.param.name; });

// The cable is pulled mid-download and plugged in again: the download stops
// at once with the complete records, and the next one gets everything.
TEST(FaultMatrixPort, VanishingMidDownloadAndComingBack) {
    test::TempDir dir;
    const std::string link = (dir / "logger").string();
    const auto file = dir / "cut.vrnldata";
    std::future<test::ProcessResult> download;
    {
        test::SimulatorProcess simulator({"--records", "400", "--pace", "10", "--link", link});
        download = std::async(std::launch::async, [&] {
            return test::RunCli({"download", "--port", link, "-o", file.string(), "--keep-partial"});
        });
        std::this_thread::sleep_for(1500ms);
        simulator.kill();
    }
    const auto killed = Clock::now();
    const auto cut = download.get();
    EXPECT_LT(Clock::now() - killed, 2s);
    EXPECT_EQ(cut.status, 1);
    EXPECT_NE(cut.err.find("the port has gone"), std::string::npos) << cut.err;
    CVarneloDoc doc;
    ASSERT_TRUE(LoadDataFile(file, doc));
    EXPECT_TRUE(test::ReadFileBytes(file) == test::ExpectedDataFile(SimulatedContent(400, 1), doc.recordCount()));

    test::SimulatorProcess back({"--records", "40", "--link", link});
    const auto again = dir / "again.vrnldata";
    const auto result = test::RunCli({"download", "--port", link, "-o", again.string()});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_TRUE(test::ReadFileBytes(again) == test::ExpectedDataFile(SimulatedContent(40, 1), 40));
}

}  // namespace
}  // namespace varnelo
