// The trace: what one exchange reads like, the form of a whole download
// (kept in golden/), and its size.
#include <gtest/gtest.h>

#include <regex>

#include "device/connection.h"
#include "device/record_download.h"
#include "device/tracing_link.h"
#include "simulator/simulated_link.h"
#include "support/test_support.h"

namespace varnelo {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

std::string Text(const Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); }

TEST(Trace, ARepliesSummaryShowsShortRepliesWholeAndLongOnesByEndsAndCrc) {
    const std::string digits = "123456789";
    EXPECT_EQ(Crc32({reinterpret_cast<const std::uint8_t*>(digits.data()), digits.size()}), 0xcbf43926u);
    EXPECT_EQ(Crc32({}), 0u);
    Bytes ramp(65);
    for (std::size_t i = 0; i < ramp.size(); ++i) ramp[i] = static_cast<std::uint8_t>(i);
    const std::string first = HexText(std::span(ramp).first(32));
    const std::string last = HexText(std::span(ramp).last(32));
    const struct {
        std::size_t got, asked;
        std::string summary;
    } cases[] = {
        {2, 2, "2 bytes 0001"},
        {0, 4, "0 of 4 bytes"},
        {64, 64, "64 bytes " + first + HexText(std::span(ramp).subspan(32, 32))},
        {65, 65, "65 bytes, crc32 " + std::string("40c06fd8") + ", first 32 " + first + ", last 32 " + last},
        {3, 6728, "3 of 6728 bytes 000102"},
    };
    for (const auto& c : cases) EXPECT_EQ(ReplySummary(std::span(ramp).first(c.got), c.asked), c.summary) << c.got;
}

// A short download with a retried record, as a user would attach it; the
// times and the date are the only parts that vary between runs.
TEST(Trace, AShortDownloadReadsAsItsGoldenFile) {
    test::TempDir dir;
    const fs::path path = dir / "trace.txt";
    {
        auto trace = std::make_shared<TraceFile>(path);
        FaultPlan faults;
        faults.dropByteAt = 1;
        auto link = std::make_unique<TracingLink>(std::make_unique<SimulatedLink>(SimulatorSettings{2, 7, faults}),
                                                  trace, "SIM");
        CVarneloDoc doc;
        LoggerConnection connection = ConnectLink(std::move(link), "SIM", doc);
        // What a download sends, record by record, with its retry.
        for (int i = 0; i < connection.state.recordCount; ++i) FetchRecord(*connection.link, i, doc.record(i));
    }
    std::string text = Text(test::ReadFileBytes(path));
    text = std::regex_replace(text, std::regex(", started [^\n]*"), ", started <date>");
    text = std::regex_replace(text, std::regex("(^|\n) *[0-9]+\\.[0-9]{6} "), "$1<time> ");
    const fs::path golden = fs::path(VARNELO_DEVICE_GOLDEN_DIR) / "short_download_trace.txt";
    if (std::getenv("VARNELO_UPDATE_GOLDEN")) test::WriteFileBytes(golden, Bytes(text.begin(), text.end()));
    EXPECT_EQ(text, Text(test::ReadFileBytes(golden)));
}

// Both exchanges of the longest record numbers, 15000 times, with the
// connection's: the trace of a full logger stays under 5 MB.
TEST(Trace, AFullLoggersTraceStaysSmallEnoughToAttach) {
    const Bytes record(BLOCK_SIZE, 0xA5), ack(ACK_SIZE, 6);
    const std::size_t time = std::string("    0.000000 ").size() + 3;  // hours into a download
    const std::size_t perRecord = time + ExchangeName(140, 14999).size() + 2 + ReplySummary(ack, ack.size()).size() +
                                  1 + time + ExchangeName(16, 14999).size() + 2 +
                                  ReplySummary(record, record.size()).size() + 1;
    EXPECT_LT(perRecord * RECORD_CAPACITY + 4096, 5'000'000u) << perRecord;
}

}  // namespace
}  // namespace varnelo
