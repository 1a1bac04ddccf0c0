#include <gtest/gtest.h>

#include <numeric>

#include "device/device_link.h"
#include "fake_link.h"

namespace varnelo {
namespace {

using Bytes = std::vector<std::uint8_t>;
using CallKind = test::FakeLink::Call::Kind;

TEST(CommandHeader, CodeZeroAndLittleEndianLength) {
    EXPECT_EQ((CommandHeader{DeviceCommand::CMD_READ_PARAMETERS, 6728}.bytes()),
              (std::array<std::uint8_t, 4>{0x08, 0x00, 0x48, 0x1A}));
    EXPECT_EQ((CommandHeader{DeviceCommand::CMD_SELECT_RECORD, 4}.bytes()),
              (std::array<std::uint8_t, 4>{0x8C, 0x00, 0x04, 0x00}));
    EXPECT_EQ((CommandHeader{DeviceCommand::CMD_WRITE_DEVICE_INFO, 0xFFFF}.bytes()),
              (std::array<std::uint8_t, 4>{0x8B, 0x00, 0xFF, 0xFF}));
}

TEST(Request, EveryReadCommandWritesItsHeaderThenReadsTheWholeReplyOnce) {
    const struct {
        DeviceCommand code;
        std::size_t length;
        Bytes header;
    } cases[] = {
        {DeviceCommand::CMD_READ_IDENT_A, 32, {0x00, 0x00, 0x20, 0x00}},
        {DeviceCommand::CMD_READ_IDENT_B, 16, {0x02, 0x00, 0x10, 0x00}},
        {DeviceCommand::CMD_READ_DEVICE_INFO, 208, {0x06, 0x00, 0xD0, 0x00}},
        {DeviceCommand::CMD_READ_PARAMETERS, 6728, {0x08, 0x00, 0x48, 0x1A}},
        {DeviceCommand::CMD_READ_RECORD, 6728, {0x10, 0x00, 0x48, 0x1A}},
        {DeviceCommand::CMD_READ_RECORD_COUNT, 4, {0x12, 0x00, 0x04, 0x00}},
    };
    for (const auto& c : cases) {
        test::FakeLink link;
        Bytes reply(c.length);
        std::iota(reply.begin(), reply.end(), std::uint8_t{1});
        link.queueReply(reply);
        Bytes buffer(c.length, 0);
        const Status result = Request(link, c.code, buffer.data(), c.length);
        EXPECT_TRUE(result.ok()) << static_cast<int>(c.code);
        ASSERT_EQ(link.calls().size(), 2u);
        EXPECT_EQ(link.calls()[0].bytes, c.header);
        EXPECT_EQ(link.calls()[1].kind, CallKind::Read);
        EXPECT_EQ(link.calls()[1].requested, c.length);
        EXPECT_EQ(buffer, reply);
    }
}

TEST(Request, ShortReplyFailsWithTheArrivedBytesInTheBuffer) {
    test::FakeLink link;
    link.queueReply({0xAA, 0xBB, 0xCC});
    Bytes buffer(6728, 0x55);
    const Status result = Request(link, DeviceCommand::CMD_READ_RECORD, buffer.data(), buffer.size());
    EXPECT_FALSE(result);
    EXPECT_EQ(result.kind, Status::Kind::ReplyShort);
    EXPECT_EQ(result.done, 3u);
    EXPECT_EQ(buffer[0], 0xAA);
    EXPECT_EQ(buffer[2], 0xCC);
    EXPECT_EQ(buffer[3], 0x55) << "bytes that never came stay as they were";
}

TEST(Request, ShortHeaderWriteReadsNothing) {
    test::FakeLink link;
    link.queueReply({1, 2, 3, 4});
    link.limitNextWrite(3);
    Bytes buffer(4, 0);
    const Status result = Request(link, DeviceCommand::CMD_READ_RECORD_COUNT, buffer.data(), 4);
    EXPECT_EQ(result.kind, Status::Kind::WriteShort);
    ASSERT_EQ(link.calls().size(), 1u);
    EXPECT_EQ(link.calls()[0].kind, CallKind::Write);
    EXPECT_EQ(buffer, Bytes(4, 0));
}

TEST(Request, LengthsOutsideTheHeaderFieldAreRefusedWithoutTouchingTheLink) {
    test::FakeLink link;
    Bytes buffer(70000);
    EXPECT_EQ(Request(link, DeviceCommand::CMD_READ_RECORD, buffer.data(), 0).kind, Status::Kind::ExchangeRefused);
    EXPECT_EQ(Request(link, DeviceCommand::CMD_READ_RECORD, buffer.data(), 65536).kind,
              Status::Kind::ExchangeRefused);
    EXPECT_TRUE(link.calls().empty());
}

TEST(Request, WriteAndReadShareOneDeadlineBoundedByTheExchangeTimeout) {
    test::FakeLink link;
    std::uint8_t count[4];
    const Deadline before = LinkClock::now();
    (void)Request(link, DeviceCommand::CMD_READ_RECORD_COUNT, count, 4);
    const Deadline after = LinkClock::now();
    ASSERT_EQ(link.calls().size(), 2u);
    EXPECT_EQ(link.calls()[0].deadline, link.calls()[1].deadline);
    EXPECT_GE(link.calls()[0].deadline, before + EXCHANGE_TIMEOUT);
    EXPECT_LE(link.calls()[0].deadline, after + EXCHANGE_TIMEOUT);
}

TEST(Send, SelectRecordIsOneEightByteFrameThenATwoByteRead) {
    test::FakeLink link;
    link.queueReply({0x06, 0x00});
    const Bytes index = {0x05, 0x00, 0x00, 0x00};
    EXPECT_TRUE(Send(link, DeviceCommand::CMD_SELECT_RECORD, index));
    ASSERT_EQ(link.calls().size(), 2u);
    EXPECT_EQ(link.calls()[0].bytes, (Bytes{0x8C, 0x00, 0x04, 0x00, 0x05, 0x00, 0x00, 0x00}));
    EXPECT_EQ(link.calls()[1].requested, 2u);
}

TEST(Send, DeviceInfoGoesOutAsOne212ByteFrame) {
    test::FakeLink link;
    link.queueReply({0, 0});
    Bytes block(208);
    std::iota(block.begin(), block.end(), std::uint8_t{7});
    EXPECT_TRUE(Send(link, DeviceCommand::CMD_WRITE_DEVICE_INFO, block));
    const auto frames = link.writes();
    ASSERT_EQ(frames.size(), 1u);
    ASSERT_EQ(frames[0].size(), 212u);
    EXPECT_EQ(Bytes(frames[0].begin(), frames[0].begin() + 4), (Bytes{0x8B, 0x00, 0xD0, 0x00}));
    EXPECT_EQ(Bytes(frames[0].begin() + 4, frames[0].end()), block);
}

TEST(Send, EmptyPayloadSendsTheHeaderAlone) {
    test::FakeLink link;
    link.queueReply({0, 0});
    EXPECT_TRUE(Send(link, DeviceCommand::CMD_SELECT_RECORD, {}));
    EXPECT_EQ(link.writes().front(), (Bytes{0x8C, 0x00, 0x00, 0x00}));
}

TEST(Send, FailsOnAMissingAcknowledgementOrAShortFrame) {
    test::FakeLink silent;
    const Bytes index = {1, 0, 0, 0};
    EXPECT_EQ(Send(silent, DeviceCommand::CMD_SELECT_RECORD, index).kind, Status::Kind::ReplyShort);

    test::FakeLink halfAck;
    halfAck.queueReply({0x06});
    EXPECT_EQ(Send(halfAck, DeviceCommand::CMD_SELECT_RECORD, index).kind, Status::Kind::ReplyShort);

    test::FakeLink shortWrite;
    shortWrite.queueReply({0, 0});
    shortWrite.limitNextWrite(7);
    EXPECT_EQ(Send(shortWrite, DeviceCommand::CMD_SELECT_RECORD, index).kind, Status::Kind::WriteShort);
    EXPECT_EQ(shortWrite.calls().size(), 1u) << "no read after a short frame";
}

TEST(Send, PayloadBeyondTheFrameIsRefused) {
    test::FakeLink link;
    const Bytes tooLong(MAX_SEND_PAYLOAD + 1);
    EXPECT_EQ(Send(link, DeviceCommand::CMD_WRITE_DEVICE_INFO, tooLong).kind, Status::Kind::ExchangeRefused);
    EXPECT_TRUE(link.calls().empty());
    link.queueReply({0, 0});
    EXPECT_TRUE(Send(link, DeviceCommand::CMD_WRITE_DEVICE_INFO, Bytes(MAX_SEND_PAYLOAD)));
    EXPECT_EQ(link.writes().front().size(), MAX_SEND_PAYLOAD + 4);
}

}  // namespace
}  // namespace varnelo
