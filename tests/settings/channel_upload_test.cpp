#include <gtest/gtest.h>

#include <cstring>

#include "device/fake_link.h"
#include "device/device_info_upload.h"
#include "settings/channel_upload.h"

namespace varnelo {
namespace {

using Bytes = std::vector<std::uint8_t>;

DeviceInfoBlock Patterned() {
    DeviceInfoBlock block;
    for (std::size_t i = 0; i < block.bytes.size(); ++i) block.bytes[i] = static_cast<std::uint8_t>(i * 7 + 1);
    std::memcpy(block.bytes.data() + 84, "ABCDEFGH", 9);  // ch.2's name, NUL included
    return block;
}

const SensorTable TABLE = ParseSensorTable("C12880MA,XY,1.5,-2,3e-7,4,5,6\nC12880MA,Z,9\n");

TEST(ChannelUpload, Ch2ChangesOnlyItsSlotAndGoesOutAsOneFrame) {
    DeviceInfoBlock block = Patterned();
    const DeviceInfoBlock before = block;
    ASSERT_TRUE(AssignSensorToChannel(block, TABLE, 0, 1));
    for (std::size_t i = 0; i < block.bytes.size(); ++i) {
        const bool ch2Slot = (i >= 84 && i < 100) || (i >= 152 && i < 200);
        if (!ch2Slot) {
            EXPECT_EQ(block.bytes[i], before.bytes[i]) << "byte " << i;
        }
    }
    // The old name's bytes behind the new NUL go back to the logger as they were.
    EXPECT_EQ(std::memcmp(block.bytes.data() + 84, "XY\0DEFGH\0", 9), 0);
    EXPECT_EQ(SensorCoefficients(block, 1), TABLE.heads[0].coefficients);

    test::FakeLink link;
    link.queueReply({0x06, 0x00});
    EXPECT_TRUE(UploadDeviceInfo(link, block).ok());
    Bytes frame = {0x8B, 0x00, 0xD0, 0x00};
    frame.insert(frame.end(), block.bytes.begin(), block.bytes.end());
    ASSERT_EQ(link.writes(), std::vector<Bytes>{frame});
    ASSERT_EQ(link.calls().size(), 2u);
    EXPECT_EQ(link.calls()[1].kind, test::FakeLink::Call::Kind::Read);
    EXPECT_EQ(link.calls()[1].requested, 2u);
}

TEST(ChannelUpload, WithoutAHeadOrAChannelNothingChanges) {
    const struct {
        std::ptrdiff_t index;
        int channel;
    } cases[] = {{-1, 0}, {2, 0}, {0, 2}, {0, -1}};
    for (const auto& c : cases) {
        DeviceInfoBlock block = Patterned();
        EXPECT_FALSE(AssignSensorToChannel(block, TABLE, c.index, c.channel)) << c.index << " " << c.channel;
        EXPECT_EQ(block.bytes, Patterned().bytes) << c.index << " " << c.channel;
    }
}

TEST(ChannelUpload, AFailedUploadDropsWhateverArrivesLate) {
    const struct {
        const char* what;
        std::size_t writeLimit;
        Status::Kind kind;
    } cases[] = {
        {"silent logger", 212, Status::Kind::ReplyShort},
        {"frame cut short", 100, Status::Kind::WriteShort},
    };
    for (const auto& c : cases) {
        test::FakeLink link;
        link.limitNextWrite(c.writeLimit);
        EXPECT_EQ(UploadDeviceInfo(link, Patterned()).kind, c.kind) << c.what;
        ASSERT_FALSE(link.calls().empty());
        EXPECT_EQ(link.calls().back().kind, test::FakeLink::Call::Kind::Discard) << c.what;
    }
}

}  // namespace
}  // namespace varnelo
