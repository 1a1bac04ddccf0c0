// The transport's rules: which failed exchange is tried again, and what a
// trace of the exchanges shows.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "device/device_link.h"
#include "device/port_path.h"
#include "device/tracing_link.h"
#include "fake_link.h"
#include "support/test_support.h"

namespace varnelo {
namespace {

using Kind = Status::Kind;

class GoneLink : public test::FakeLink {
public:
    bool gone() const override { return isGone; }
    bool isGone = false;
};

TEST(Transport, RetriesAShortLongOrLateReplyButNeverAPortThatHasGone) {
    const struct {
        Kind kind;
        bool gone;
        bool retried;
    } cases[] = {
        {Kind::ReplyShort, false, true},  {Kind::ReplyLong, false, true},  {Kind::WriteShort, false, true},
        {Kind::ReplyShort, true, false},  {Kind::ReplyLong, true, false},  {Kind::WriteShort, true, false},
        {Kind::ExchangeRefused, false, false}, {Kind::Ok, false, false},  {Kind::PortGone, false, false},
    };
    for (const auto& c : cases) {
        GoneLink link;
        link.isGone = c.gone;
        EXPECT_EQ(WorthRetrying(ExchangeStatus(DeviceCommand::CMD_READ_RECORD, c.kind, 8, 3), link), c.retried)
            << static_cast<int>(c.kind) << (c.gone ? " gone" : "");
    }
}

// Ports from COM10 up must be opened as "\\.\COM10" by the system's own
// calls; the serial port takes the bare name and restores the prefix.
TEST(Transport, WindowsPortNamesAreTakenBareOrInTheDeviceNamespace) {
    const struct {
        const char* typed;
        const char* name;
    } cases[] = {
        {"COM3", "COM3"},          {R"(\\.\COM10)", "COM10"}, {"//./COM12", "COM12"},
        {R"(\\.\)", R"(\\.\)"}, {"ttyACM0", "ttyACM0"},    {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(WindowsPortName(c.typed), c.name) << c.typed;
#ifdef _WIN32
    EXPECT_EQ(PortToOpen(R"(\\.\COM10)"), "COM10");
#endif
}

TEST(Transport, HexDumpShowsOffsetsBytesAndPrintableText) {
    const std::uint8_t bytes[] = {0x12, 0x00, 'A', 'b', 0x7F, 0xFF, '0', ' ', 1, 2, 3, 4, 5, 6, 7, 8, 'Z'};
    EXPECT_EQ(HexDump(bytes, 17),
              "  0000  12 00 41 62 7f ff 30 20 01 02 03 04 05 06 07 08  ..Ab..0 ........\n"
              "  0010  5a                                               Z\n");
    EXPECT_EQ(HexDump(bytes, 0), "");
}

// Every exchange reaches the trace as it happened: the frame out, the reply
// in with how much of it came, a discard, a port that went.
TEST(Transport, TraceWritesEveryExchangeWithItsTime) {
    test::TempDir dir;
    const auto path = dir / "trace.txt";
    auto inner = std::make_unique<GoneLink>();
    GoneLink& fake = *inner;
    {
        auto trace = std::make_shared<TraceFile>(path);
        ASSERT_TRUE(trace->status()) << trace->status().detail;
        TracingLink link(std::move(inner), trace, "COM3", TraceForm::Full);
        fake.queueReply({'V', 'N', 'L'});
        std::uint8_t reply[8] = {};
        EXPECT_EQ(Request(link, DeviceCommand::CMD_READ_RECORD, reply, 8).kind, Kind::ReplyShort);
        link.discardInput();
        fake.isGone = true;
        link.read(reply, 2, LinkClock::now());
    }
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    const std::string trace = text.str();
    EXPECT_EQ(trace.rfind("# varnelo trace of COM3, started ", 0), 0u) << trace;
    for (const char* line : {"> 4 of 4 bytes\n  0000  10 00 08 00 ", "< 3 of 8 bytes\n  0000  56 4e 4c ",
                             " input discarded\n", "< 0 of 2 bytes\n", " the port has gone\n"}) {
        EXPECT_NE(trace.find(line), std::string::npos) << line << " in\n" << trace;
    }
    EXPECT_NE(trace.find("    0.0"), std::string::npos) << "times since the start";

    TraceFile unwritable(dir / "no such folder" / "trace.txt");
    EXPECT_FALSE(unwritable.status());
    EXPECT_NE(unwritable.status().detail.find("no such folder"), std::string::npos) << unwritable.status().detail;
}

}  // namespace
}  // namespace varnelo
