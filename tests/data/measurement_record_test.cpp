#include <gtest/gtest.h>

#include <cmath>

#include "data/measurement_record.h"
#include "support/test_support.h"

namespace varnelo {
namespace {

MeasurementRecord Zero() { return MeasurementRecord{}; }

TEST(MeasurementRecord, FieldsAreReadLittleEndianAtTheirOffsets) {
    MeasurementRecord r = Zero();
    r.bytes[204] = 0x64;  // exp_ch1 = 100
    r.bytes[208] = 0x00;
    r.bytes[209] = 0x01;  // exp_ch2 = 256
    r.bytes[6380] = 0xFF;
    r.bytes[6381] = 0xFF;  // year = -1
    r.bytes[6382] = 12;   // month
    const float one = 1.0f;  // 00 00 80 3F
    r.bytes[2292 + 4 * 510 + 2] = 0x80;
    r.bytes[2292 + 4 * 510 + 3] = 0x3F;
    EXPECT_EQ(r.exp_ch1(), 100);
    EXPECT_EQ(r.exp_ch2(), 256);
    EXPECT_EQ(r.year(), -1);
    EXPECT_EQ(r.month(), 12);
    EXPECT_EQ(r.spectrum_ch2()[510], one);
    EXPECT_EQ(r.spectrum_ch1()[0], 0.0f);
}

TEST(MeasurementRecord, WritersLandOnTheFieldsTheReadersRead) {
    MeasurementRecord r = test::PatternRecord(7);
    const MeasurementRecord before = r;
    r.set_exp(-3, 70000);
    r.set_temps(25.1f, -4.5f);
    r.set_battery(95.0f, 3.85f);
    r.set_channel_diff(17, 0.25f);
    r.set_time(41, 10, 7, 9, 5, 3);
    EXPECT_EQ(r.exp_ch1(), -3);
    EXPECT_EQ(r.exp_ch2(), 70000);
    EXPECT_EQ(r.temp_ch1(), 25.1f);
    EXPECT_EQ(r.temp_ch2(), -4.5f);
    EXPECT_EQ(r.batc(), 95.0f);
    EXPECT_EQ(r.batv(), 3.85f);
    EXPECT_EQ(r.channel_diff()[17], 0.25f);
    // Uninterpreted stretches are untouched by every writer.
    for (std::size_t i : {0u, 203u, 220u, 239u, 6392u, 6455u, 6584u, 6727u}) EXPECT_EQ(r.bytes[i], before.bytes[i]) << i;
}

TEST(MeasurementRecord, GpsTextIsCutAndNulFilled) {
    MeasurementRecord r = test::PatternRecord(3);
    r.set_gps_text(std::string(200, 'A'));
    auto text = r.gps_text();
    EXPECT_EQ(text[126], 'A');
    EXPECT_EQ(text[127], 0);
    r.set_gps_text("X,1");
    EXPECT_EQ(text[2], '1');
    EXPECT_EQ(text[3], 0);
    EXPECT_EQ(text[126], 0);
}

TEST(MeasurementRecord, ElementsOutsideTheGridAreNeitherReadNorWritten) {
    MeasurementRecord r = test::PatternRecord(5);
    const MeasurementRecord before = r;
    for (const std::size_t j : {std::size_t{511}, std::size_t{1022}, std::size_t{1} << 40}) {
        r.set_spectrum_ch1(j, 1.0f);
        r.set_spectrum_ch2(j, 1.0f);
        r.set_channel_diff(j, 1.0f);
        // Element 511 of ch.1 would be element 0 of ch.2, and so on.
        EXPECT_TRUE(std::isnan(r.spectrum_ch1()[j])) << j;
        EXPECT_TRUE(std::isnan(r.channel_diff()[j])) << j;
    }
    EXPECT_EQ(r.bytes, before.bytes);
    EXPECT_EQ(r.spectrum_ch2()[510], before.spectrum_ch2()[510]);
}

struct LabelCase {
    int year, month, day, hour, minute, second;
    const char* label;
};

TEST(RecordTimeLabel, PadsWithSpacesAndUsesSignedFields) {
    const LabelCase cases[] = {
        {41, 10, 7, 9, 5, 3, "2021/10/ 7, 9: 5: 3"},
        {41, 12, 31, 23, 59, 58, "2021/12/31,23:59:58"},
        {0, 0, 0, 0, 0, 0, "1980/ 0/ 0, 0: 0: 0"},
        {-1, 1, 1, 0, 0, 0, "1979/ 1/ 1, 0: 0: 0"},  // year stored as 0xFFFF
        {-32768, -32768, 32767, -1, 100, 7, "-30788/-32768/32767,-1:100: 7"},
        {-32768, -32768, -32768, -32768, -32768, -32768, "-30788/-32768/-32768,-32768:-32768:-32768"},  // the widest
    };
    for (const LabelCase& c : cases) {
        MeasurementRecord r = Zero();
        r.set_time(c.year, c.month, c.day, c.hour, c.minute, c.second);
        EXPECT_EQ(RecordTimeLabel(r), c.label);
    }
}

}  // namespace
}  // namespace varnelo
