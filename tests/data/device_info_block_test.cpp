#include <gtest/gtest.h>

#include <climits>
#include <cstring>

#include "data/device_info_block.h"

namespace varnelo {
namespace {

DeviceInfoBlock Patterned() {
    DeviceInfoBlock block;
    for (std::size_t i = 0; i < block.bytes.size(); ++i) block.bytes[i] = static_cast<std::uint8_t>(i * 7 + 1);
    return block;
}

void PutName(DeviceInfoBlock& block, int channel, const char* sixteen) {
    std::memcpy(block.bytes.data() + 68 + 16 * channel, sixteen, 16);
}

TEST(SensorName, ReadsUpToTheFirstNul) {
    DeviceInfoBlock block = Patterned();
    PutName(block, 0, "AB\0\0\0\0\0\0\0\0\0\0\0\0\0\0");
    PutName(block, 1, "\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0");
    EXPECT_EQ(SensorName(block, 0), "AB");
    EXPECT_EQ(SensorName(block, 1), "");
}

TEST(SensorName, FieldWithoutNulShowsAllSixteenBytes) {
    DeviceInfoBlock block = Patterned();
    PutName(block, 0, "ABCDEFGHIJKLMNOP");
    EXPECT_EQ(SensorName(block, 0), "ABCDEFGHIJKLMNOP");
}

TEST(AssignSensor, KeepsLeftoverNameBytesAndEveryOtherByte) {
    DeviceInfoBlock block = Patterned();
    PutName(block, 1, "ABCDEFGH\0\0\0\0\0\0\0\0");
    const DeviceInfoBlock before = block;
    const SensorCoefficientSet coefs{1.5, -2.25e-3, 3.0e-7, 0.1, -0.0, 123456.789012345};
    AssignSensor(block, 1, "XY", coefs);

    const std::uint8_t* field = block.bytes.data() + 84;
    EXPECT_EQ(std::memcmp(field, "XY\0DEFGH\0", 9), 0);
    EXPECT_EQ(SensorName(block, 1), "XY");
    const SensorCoefficientSet read = SensorCoefficients(block, 1);
    for (std::size_t k = 0; k < 6; ++k) {
        EXPECT_EQ(std::memcmp(&read[k], &coefs[k], 8), 0) << k;  // bit for bit
    }
    // Nothing outside the name's first three bytes and the ch.2 coefficients moved.
    for (std::size_t i = 0; i < block.bytes.size(); ++i) {
        const bool written = (i >= 84 && i < 87) || (i >= 152 && i < 200);
        if (!written) {
            EXPECT_EQ(block.bytes[i], before.bytes[i]) << "byte " << i;
        }
    }
}

TEST(AssignSensor, FifteenCharactersFillTheFieldWithItsNul) {
    DeviceInfoBlock block = Patterned();
    const std::uint8_t nextByte = block.bytes[84];
    AssignSensor(block, 0, "ABCDEFGHIJKLMNO", {});
    EXPECT_EQ(block.bytes[68 + 15], 0);
    EXPECT_EQ(block.bytes[84], nextByte);
    EXPECT_EQ(SensorName(block, 0), "ABCDEFGHIJKLMNO");
}

TEST(AssignSensor, LongNamesAreCutWithoutSplittingACharacter) {
    DeviceInfoBlock block = Patterned();
    AssignSensor(block, 0, "ABCDEFGHIJKLMNOPQRST", {});
    EXPECT_EQ(SensorName(block, 0), "ABCDEFGHIJKLMNO");
    // 14 ASCII bytes then a 3-byte character: cutting at 15 would split it.
    AssignSensor(block, 1, "ABCDEFGHIJKLMN\xE3\x81\x82Z", {});
    EXPECT_EQ(SensorName(block, 1), "ABCDEFGHIJKLMN");
    // Five 3-byte characters are exactly 15 bytes and fit.
    AssignSensor(block, 1, "\xE3\x81\x82\xE3\x81\x82\xE3\x81\x82\xE3\x81\x82\xE3\x81\x82\xE3\x81\x82", {});
    EXPECT_EQ(SensorName(block, 1), "\xE3\x81\x82\xE3\x81\x82\xE3\x81\x82\xE3\x81\x82\xE3\x81\x82");
}

// Channel 2 would be the four pad bytes and ch.1's coefficients; larger
// numbers lie outside the block altogether.
TEST(DeviceInfoBlock, ANumberThatIsNoChannelReadsNothingAndWritesNothing) {
    for (const int channel : {-1, 2, 3, 100, INT_MIN, INT_MAX}) {
        DeviceInfoBlock block = Patterned();
        const DeviceInfoBlock before = block;
        EXPECT_EQ(SensorName(block, channel), "") << channel;
        EXPECT_EQ(SensorCoefficients(block, channel), SensorCoefficientSet{}) << channel;
        EXPECT_FALSE(AssignSensor(block, channel, "XY", {1, 2, 3, 4, 5, 6})) << channel;
        EXPECT_EQ(block.bytes, before.bytes) << channel;
    }
    DeviceInfoBlock block = Patterned();
    EXPECT_TRUE(AssignSensor(block, 1, "XY", {}));
}

}  // namespace
}  // namespace varnelo
