#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <thread>

#include "data/data_file.h"
#include "simulator/simulated_content.h"
#include "support/test_support.h"

namespace varnelo {
namespace {

TEST(CliDevice, DownloadFromTheBuiltInLoggerSavesItsRecords) {
    test::TempDir dir;
    const auto file = dir / "sim.vrnldata";
    const auto result = test::RunCli({"download", "--sim", "--records", "9", "--seed", "4", "-o", file.string()});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "9 records saved to " + file.string() + "\n");
    CVarneloDoc doc;
    ASSERT_TRUE(LoadDataFile(file, doc));
    const SimulatedContent content(9, 4);
    ASSERT_EQ(doc.recordCount(), 9);
    EXPECT_EQ(doc.parameterBlock().bytes, content.parameters().bytes);
    for (int i = 0; i < 9; ++i) EXPECT_EQ(doc.record(i).bytes, content.record(i).bytes) << i;
}

TEST(CliDevice, AStoppedDownloadLeavesAnOlderFileAloneUnlessAskedToKeepWhatCame) {
    test::TempDir dir;
    const auto file = dir / "old.vrnldata";
    test::WriteFileBytes(file, {1, 2, 3});
    const std::vector<std::string> download = {"download", "--sim", "--records", "20", "--silent-from", "5",
                                               "-o", file.string()};
    const auto refused = test::RunCli(download);
    EXPECT_NE(refused.status, 0);
    EXPECT_NE(refused.err.find("stopped at record 5"), std::string::npos) << refused.err;
    EXPECT_EQ(test::ReadFileBytes(file), (std::vector<std::uint8_t>{1, 2, 3}));

    // Stopped before the first record, there is nothing worth keeping.
    const auto none = test::RunCli({"download", "--sim", "--records", "20", "--silent-from", "0", "--keep-partial",
                                    "-o", file.string()});
    EXPECT_EQ(none.status, 1);
    EXPECT_NE(none.err.find("nothing saved"), std::string::npos) << none.err;
    EXPECT_EQ(test::ReadFileBytes(file), (std::vector<std::uint8_t>{1, 2, 3}));

    auto keep = download;
    keep.push_back("--keep-partial");
    const auto kept = test::RunCli(keep);
    EXPECT_NE(kept.status, 0);
    EXPECT_NE(kept.err.find("the 5 complete records were saved"), std::string::npos) << kept.err;
    EXPECT_EQ(test::ReadFileBytes(file).size(), DataFileSize(5));
}

TEST(CliDevice, InfoPrintsSensorsCoefficientsAndParameters) {
    const auto result = test::RunCli({"info", "--sim", "--report-count", "20000"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_NE(result.out.find("((SIM))\n"), std::string::npos);
    EXPECT_NE(result.out.find("records on the logger: 15000\n"), std::string::npos) << result.out;
    EXPECT_NE(result.out.find("ch.1 sensor: C12880MA-"), std::string::npos);
    EXPECT_NE(result.out.find("ch.1 coefficients: +3.0"), std::string::npos);
    EXPECT_NE(result.out.find("exposure: ch.1 "), std::string::npos);
    EXPECT_NE(result.err.find("reports 20000 records"), std::string::npos);
}

// --trace appends every exchange of a download, retries included, to a
// file a user can attach to a report, one line per exchange.
TEST(CliDevice, ATraceHoldsEveryExchangeOfADownload) {
    test::TempDir dir;
    const auto trace = dir / "trace.txt";
    const auto file = dir / "sim.vrnldata";
    const auto result = test::RunCli({"download", "--sim", "--records", "3", "--drop-byte", "1", "-o", file.string(),
                                      "--trace", trace.string()});
    ASSERT_EQ(result.status, 0) << result.err;
    // --trace-full adds every byte: here of a record count, to the same file.
    ASSERT_EQ(test::RunCli({"info", "--sim", "--trace", trace.string(), "--trace-full"}).status, 0);
    const auto bytes = test::ReadFileBytes(trace);
    const std::string text(bytes.begin(), bytes.end());
    EXPECT_EQ(text.rfind("# varnelo trace of SIM, started ", 0), 0u) << text.substr(0, 200);
    // The short reply of record 1, the discard, then record 1 again, whole.
    const std::size_t shortReply = text.find("read record 1 (command 16): 6727 of 6728 bytes, crc32 ");
    const std::size_t discard = text.find(" input discarded\n", shortReply);
    ASSERT_NE(shortReply, std::string::npos);
    ASSERT_NE(discard, std::string::npos);
    EXPECT_NE(text.find("read record 1 (command 16): 6728 bytes", discard), std::string::npos);
    EXPECT_NE(text.find("< 4 of 4 bytes\n  0000  c8 00 00 00 ", discard), std::string::npos);
}

#ifndef _WIN32
// A trace that cannot be written, or stops being writable, is said once;
// the download saves the same file with the same status as without it.
TEST(CliDevice, ATraceThatFailsNeverTouchesTheDownload) {
    test::TempDir dir;
    const auto fifo = dir / "fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const auto plain = dir / "plain.vrnldata", file = dir / "traced.vrnldata";
    const auto download = [](const std::filesystem::path& to, std::vector<std::string> trace) {
        trace.insert(trace.begin(), {"download", "--sim", "--records", "2000", "--drop-byte", "5", "-o", to.string()});
        return test::RunCli(trace);
    };
    ASSERT_EQ(download(plain, {}).status, 0);

    const struct {
        std::string trace;
        bool readerLeaves;  // a reader takes the first byte, then goes away
        const char* why;
    } cases[] = {
        {fifo.string(), false, "nothing reads from it"},
        {fifo.string(), true, "its reader has gone"},
        {"/dev/full", false, "No space left on device"},
        {(dir / "none" / "trace.txt").string(), false, "No such file or directory"},
    };
    for (const auto& c : cases) {
        const int reader = c.readerLeaves ? ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC) : -1;
        std::thread leaving([reader] {
            if (reader < 0) return;
            pollfd fd{reader, POLLIN, 0};
            char byte;
            if (::poll(&fd, 1, 10000) > 0) (void)!::read(reader, &byte, 1);
            ::close(reader);
        });
        const auto traced = download(file, {"--trace", c.trace});
        leaving.join();
        EXPECT_EQ(traced.status, 0) << c.why << ": " << traced.err;
        EXPECT_EQ(traced.out, "2000 records saved to " + file.string() + "\n");
        EXPECT_EQ(test::ReadFileBytes(file), test::ReadFileBytes(plain)) << c.why;
        EXPECT_EQ(test::LineCount(traced.err), 1u) << traced.err;
        EXPECT_EQ(traced.err.rfind("varnelo-cli: warning: trace stopped: ", 0), 0u) << traced.err;
        EXPECT_NE(traced.err.find(c.why), std::string::npos) << traced.err;
    }
}
#endif

TEST(CliDevice, UsageErrorsAreOneLine) {
    for (const auto& arguments : std::vector<std::vector<std::string>>{
             {"download", "--sim"},
             {"download", "--sim", "--records", "many", "-o", "x.vrnldata"},
             {"simulate", "--records", "-1"},
         }) {
        const auto result = test::RunCli(arguments);
        EXPECT_NE(result.status, 0) << arguments[1];
        EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
    }
}

}  // namespace
}  // namespace varnelo
