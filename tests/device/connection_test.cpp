#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <numeric>

#include "data/byte_order.h"
#include "device/connection.h"
#include "device/port_match.h"
#include "fake_link.h"
#include "simulator/simulated_link.h"

namespace varnelo {
namespace {

using Bytes = std::vector<std::uint8_t>;

PortEntry Logger(const std::string& name) {
    return {name, std::string("USB\\VID_0C2B&PID_08B0&REV_0100"), "USB Serial Device (" + name + ")",
            std::string("USB Serial Device")};
}

PortEntry Other(const std::string& name) {
    return {name, "USB\\VID_1A86&PID_7523", "USB-SERIAL CH340 (" + name + ")", std::string("USB-SERIAL CH340")};
}

// A catalog of made-up devices that notes every port it is asked to open.
class FakeCatalog : public PortCatalog {
public:
    explicit FakeCatalog(std::vector<PortEntry> devices) : m_devices(std::move(devices)) {}
    std::vector<PortEntry> ports() override { return m_devices; }
    OpenedPort open(const std::string& name) override {
        opened.push_back(name);
        if (busy.count(name))
            return {nullptr, PortRefusal(name, "cannot open " + name + ": the port is in use by another program")};
        return {std::make_unique<SimulatedLink>(SimulatorSettings{3, 7, {}}), {}};
    }
    std::vector<std::string> opened;
    std::map<std::string, bool> busy;

private:
    std::vector<PortEntry> m_devices;
};

TEST(PortMatch, PortTextOfCom1DoesNotMatchCom10) {
    const std::vector<PortEntry> devices = {Logger("COM10"), Logger("COM12")};
    EXPECT_FALSE(IsLoggerPort(devices, PortText("COM1")));
    EXPECT_TRUE(IsLoggerPort(devices, PortText("COM10")));
    EXPECT_EQ(PortText("COM12"), "(COM12)");
}

TEST(PortMatch, NeedsTheLoggerIdInTheFirstHardwareIdAndAReadableDescription) {
    PortEntry wrongId = Other("COM3");
    PortEntry idInSecondString = Logger("COM4");
    idInSecondString.hardwareId = std::string("USB\\VID_1A86&PID_7523\0USB\\VID_0C2B&PID_08B0", 43);
    PortEntry noDescription = Logger("COM5");
    noDescription.description.reset();
    PortEntry emptyDescription = Logger("COM6");
    emptyDescription.description = "";
    PortEntry lowerCaseId = Logger("COM7");
    lowerCaseId.hardwareId = "USB\\vid_0c2b&pid_08b0";
    const std::vector<PortEntry> devices = {wrongId, idInSecondString, noDescription, emptyDescription, lowerCaseId};
    EXPECT_FALSE(IsLoggerPort(devices, "(COM3)"));
    EXPECT_FALSE(IsLoggerPort(devices, "(COM4)"));
    EXPECT_FALSE(IsLoggerPort(devices, "(COM5)"));
    EXPECT_TRUE(IsLoggerPort(devices, "(COM6)")) << "an empty description is still a readable one";
    EXPECT_FALSE(IsLoggerPort(devices, "(COM7)")) << "the comparison is case-sensitive";
}

TEST(PortMatch, CandidatesAreTheLoggerPortsInNaturalOrder) {
    const std::vector<PortEntry> devices = {Logger("COM12"), Other("COM3"), Logger("COM2"), Logger("ttyACM1"),
                                            Logger("ttyACM0")};
    EXPECT_EQ(LoggerPortCandidates(devices),
              (std::vector<std::string>{"COM2", "COM12", "ttyACM0", "ttyACM1"}));
    // Leading zeros do not make a number larger: 002 is 2, below 10.
    EXPECT_EQ(LoggerPortCandidates({Logger("COM10"), Logger("COM002"), Logger("COM0010x"), Logger("COM9")}),
              (std::vector<std::string>{"COM002", "COM9", "COM10", "COM0010x"}));
}

TEST(Connect, OpensOnlyTheLoggerPortNeverTheOthers) {
    FakeCatalog catalog({Other("COM3"), Other("COM5"), Logger("COM12"), Other("COM1")});
    CVarneloDoc doc;
    const ConnectOutcome outcome = Connect(catalog, doc);
    ASSERT_TRUE(outcome.connection) << outcome.status.detail;
    EXPECT_EQ(catalog.opened, std::vector<std::string>{"COM12"});
    EXPECT_EQ(outcome.connection->portName, "COM12");
    const std::string& label = outcome.connection->state.identityLabel;
    EXPECT_EQ(label.substr(label.size() - 9), "((COM12))");
}

TEST(Connect, NoLoggerMeansNothingOpenedAndNothingWritten) {
    FakeCatalog catalog({Other("COM3"), Other("COM5")});
    CVarneloDoc doc;
    doc.parameterBlock().bytes.fill(0x5A);
    const ConnectOutcome outcome = Connect(catalog, doc);
    EXPECT_FALSE(outcome.connection);
    EXPECT_TRUE(catalog.opened.empty());
    EXPECT_NE(outcome.status.detail.find("VID_0C2B&PID_08B0"), std::string::npos);
    EXPECT_EQ(doc.parameterBlock().bytes[0], 0x5A);
}

TEST(Connect, ABusyLoggerPortIsSkippedAndReported) {
    FakeCatalog busyOnly({Logger("COM4")});
    busyOnly.busy["COM4"] = true;
    CVarneloDoc doc;
    const ConnectOutcome refused = Connect(busyOnly, doc);
    EXPECT_FALSE(refused.connection);
    EXPECT_NE(refused.status.detail.find("in use"), std::string::npos);
    EXPECT_EQ(refused.status.path, "COM4");

    FakeCatalog twoLoggers({Logger("COM9"), Logger("COM4")});
    twoLoggers.busy["COM4"] = true;
    const ConnectOutcome outcome = Connect(twoLoggers, doc);
    ASSERT_TRUE(outcome.connection);
    EXPECT_EQ(twoLoggers.opened, (std::vector<std::string>{"COM4", "COM9"}));
}

TEST(Connect, AnExplicitPortBypassesDiscovery) {
    FakeCatalog catalog({});
    CVarneloDoc doc;
    const ConnectOutcome outcome = ConnectToPort(catalog, "/tmp/logger", doc);
    ASSERT_TRUE(outcome.connection);
    EXPECT_EQ(catalog.opened, std::vector<std::string>{"/tmp/logger"});
    const std::string& label = outcome.connection->state.identityLabel;
    EXPECT_EQ(label.substr(label.size() - 15), "((/tmp/logger))");
}

// The replies of a logger to the five connection exchanges, in order.
void QueueLogger(test::FakeLink& link, const Bytes& count) {
    Bytes identB(16, 0), identA(32, 0);
    std::copy_n("B-TEXT", 6, identB.begin());
    std::copy_n("A TEXT", 6, identA.begin());
    link.queueReply(identB);
    link.queueReply(identA);
    Bytes info(208);
    std::iota(info.begin(), info.end(), std::uint8_t{1});
    link.queueReply(info);
    link.queueReply(Bytes(6728, 0x77));
    link.queueReply(count);
}

TEST(ReadLoggerState, ExchangesGoOutInOrderTwoZeroSixEightEighteen) {
    test::FakeLink link;
    QueueLogger(link, {0xFA, 0x00, 0x00, 0x00});
    CVarneloDoc doc;
    const LoggerState state = ReadLoggerState(link, "COM12", doc);
    std::vector<int> codes;
    for (const Bytes& frame : link.writes()) codes.push_back(frame[0]);
    EXPECT_EQ(codes, (std::vector<int>{2, 0, 6, 8, 18}));
    EXPECT_EQ(state.identityLabel, "A TEXT B-TEXT((COM12))");
    EXPECT_EQ(state.recordCount, 250);
    EXPECT_EQ(state.countLabel, "    0/  250");
    EXPECT_EQ(doc.deviceInfo().bytes[0], 1);
    EXPECT_EQ(doc.deviceInfo().bytes[207], 208);
    EXPECT_EQ(doc.parameterBlock().bytes[6727], 0x77);
    EXPECT_TRUE(state.failures.empty());
}

TEST(ReadLoggerState, CountIsHeldToTheDocumentsCapacity) {
    const struct {
        std::int32_t reported;
        int held;
    } cases[] = {{0, 0}, {15000, 15000}, {15001, 15000}, {20000, 15000}, {-5, 0}, {INT32_MIN, 0}};
    for (const auto& c : cases) {
        test::FakeLink link;
        Bytes count(4);
        WriteI32Le(count.data(), c.reported);
        QueueLogger(link, count);
        CVarneloDoc doc;
        const LoggerState state = ReadLoggerState(link, "COM1", doc);
        EXPECT_EQ(state.reportedCount, c.reported);
        EXPECT_EQ(state.recordCount, c.held) << c.reported;
        EXPECT_EQ(state.countLabel, CountLabel(0, c.held));
    }
}

TEST(ReadLoggerState, FailedReadsGiveEmptyTextsAndAZeroCount) {
    test::FakeLink link;
    link.queueReply({'P', 'A', 'R'});  // identity B breaks off after three bytes, then silence
    CVarneloDoc doc;
    const LoggerState state = ReadLoggerState(link, "COM2", doc);
    EXPECT_EQ(state.identityLabel, " ((COM2))");
    EXPECT_FALSE(state.countRead);
    EXPECT_EQ(state.recordCount, 0);
    EXPECT_EQ(state.countLabel, "    0/    0");
    EXPECT_EQ(state.failures.size(), 5u);
    EXPECT_EQ(link.writes().size(), 5u) << "every exchange is made, answered or not";
}

TEST(ReadLoggerState, ALoggerFallingSilentIsStillAskedEveryExchangeUnlessItNeverAnswered) {
    // The reply of each exchange in wire order; silence from exchange k on.
    // Silence from the first on gives up after two: nobody is there.
    const std::vector<Bytes> replies = {Bytes(16, 'B'), Bytes(32, 'A'), Bytes(208, 1), Bytes(6728, 2), {7, 0, 0, 0}};
    for (std::size_t k = 0; k <= replies.size(); ++k) {
        test::FakeLink link;
        for (std::size_t i = 0; i < k; ++i) link.queueReply(replies[i]);
        CVarneloDoc doc;
        const LoggerState state = ReadLoggerState(link, "COM3", doc);
        EXPECT_EQ(link.writes().size(), k == 0 ? 2 : replies.size()) << k;
        EXPECT_EQ(state.failures.size(), k == 0 ? 2 : replies.size() - k) << k;
        EXPECT_EQ(state.silent, k == 0) << k;
        EXPECT_EQ(state.deviceInfoRead, k > 2) << k;
        EXPECT_EQ(state.parametersRead, k > 3) << k;
        EXPECT_EQ(state.countRead, k > 4) << k;
        EXPECT_EQ(state.recordCount, k > 4 ? 7 : 0) << k;
    }
}

// The connection reads the logger's blocks for the logger: a document opened
// from a file keeps its own until it takes them, and then only those that
// were read whole.
TEST(ReadLoggerState, TheBlocksStayTheLoggersUntilADocumentAdoptsThem) {
    const std::vector<Bytes> replies = {Bytes(16, 'B'), Bytes(32, 'A'), Bytes(208, 1), Bytes(6728, 2), {7, 0, 0, 0}};
    for (std::size_t k = 0; k <= replies.size(); ++k) {
        test::FakeLink link;
        for (std::size_t i = 0; i < k; ++i) link.queueReply(replies[i]);
        CVarneloDoc doc;
        doc.deviceInfo().bytes.fill(0xEE);
        doc.parameterBlock().bytes.fill(0xEE);
        const LoggerState state = ReadLoggerState(link, "COM4");
        EXPECT_EQ(doc.deviceInfo().bytes[207], 0xEE) << k;
        EXPECT_EQ(doc.parameterBlock().bytes[0], 0xEE) << k;
        AdoptLoggerBlocks(state, doc);
        EXPECT_EQ(doc.deviceInfo().bytes[0], k > 2 ? 1 : 0xEE) << k;
        EXPECT_EQ(doc.parameterBlock().bytes[6727], k > 3 ? 2 : 0xEE) << k;
        if (k > 3) {
            EXPECT_EQ(state.parameters.bytes, doc.parameterBlock().bytes) << k;
        }
    }
}

TEST(ReadIdentityText, StopsAtTheFirstNulAndNeverRunsPastTheReply) {
    test::FakeLink withNul;
    withNul.queueReply({'A', 'B', 0, 'C', 0, 0, 0, 0});
    EXPECT_EQ(ReadIdentityText(withNul, DeviceCommand::CMD_READ_IDENT_B, 8), "AB");

    test::FakeLink withoutNul;
    withoutNul.queueReply(Bytes(16, 'Z'));
    EXPECT_EQ(ReadIdentityText(withoutNul, DeviceCommand::CMD_READ_IDENT_B, 16), std::string(16, 'Z'));

    test::FakeLink broken;
    broken.queueReply({'X', 'Y'});
    EXPECT_EQ(ReadIdentityText(broken, DeviceCommand::CMD_READ_IDENT_A, 32), "");
}

}  // namespace
}  // namespace varnelo
