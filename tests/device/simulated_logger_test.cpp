#include <gtest/gtest.h>

#include <cmath>

#include "data/spectra.h"
#include "device/connection.h"
#include "device/device_link.h"
#include "simulator/simulated_link.h"
#include "track/gps_track.h"

namespace varnelo {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Feed(LoggerModel& model, const Bytes& bytes) {
    Bytes out;
    model.receive(bytes, out);
    return out;
}

double Mean(const Spectrum& s, int fromNm, int toNm) {
    double sum = 0;
    for (int nm = fromNm; nm <= toNm; ++nm) sum += s[static_cast<std::size_t>(nm - WAVELENGTH_BASE_NM)];
    return sum / (toNm - fromNm + 1);
}

TEST(SimulatedContent, TheSameSeedGivesTheSameLoggerAndAnotherSeedAnother) {
    const SimulatedContent a(50, 3), b(50, 3), c(50, 4);
    for (int i : {0, 17, 49}) {
        EXPECT_EQ(a.record(i).bytes, b.record(i).bytes);
        EXPECT_NE(a.record(i).bytes, c.record(i).bytes);
    }
    EXPECT_EQ(a.deviceInfo().bytes, b.deviceInfo().bytes);
    EXPECT_EQ(a.parameters().bytes, b.parameters().bytes);
    EXPECT_NE(a.identityB(), c.identityB());
    // Content does not depend on how many records the logger holds.
    EXPECT_EQ(SimulatedContent(10, 3).record(9).bytes, a.record(9).bytes);
}

TEST(SimulatedContent, SpectraLookLikeDaylightOverVegetation) {
    const SimulatedContent content(40, 8);
    for (int i = 0; i < content.recordCount(); i += 13) {
        const MeasurementRecord record = content.record(i);
        EXPECT_GT(record.exp_ch1(), 0);
        EXPECT_GT(record.exp_ch2(), 0);
        const DerivedSpectra derived = DeriveSpectra(record);

        // Daylight: brightest in the visible, the oxygen A band cuts a dip at 760 nm.
        const auto peak = std::max_element(derived.ch2.begin(), derived.ch2.end()) - derived.ch2.begin();
        EXPECT_GT(peak + WAVELENGTH_BASE_NM, 450);
        EXPECT_LT(peak + WAVELENGTH_BASE_NM, 680);
        EXPECT_GT(*std::max_element(derived.ch2.begin(), derived.ch2.end()), 20000.0f);
        EXPECT_LT(Mean(derived.ch2, 759, 762), 0.8 * Mean(derived.ch2, 745, 750));

        // Vegetation: dark red, bright near infrared, the edge between them near 700 nm.
        const double red = Mean(derived.reflectance, 660, 680);
        const double nir = Mean(derived.reflectance, 780, 800);
        EXPECT_GT(nir, 3.0 * red);
        EXPECT_GT(Mean(derived.reflectance, 540, 560), red) << "the green bump";
        int steepest = 0;
        float rise = -1;
        for (int nm = 650; nm < 780; ++nm) {
            const auto j = static_cast<std::size_t>(nm - WAVELENGTH_BASE_NM);
            const float d = derived.reflectance[j + 5] - derived.reflectance[j];
            if (d > rise) rise = d, steepest = nm;
        }
        EXPECT_NEAR(steepest, 705, 20);

        for (std::size_t j = 0; j < SPECTRUM_LENGTH; ++j) EXPECT_NEAR(record.channel_diff()[j], 1.0, 0.06);
        EXPECT_GT(record.temp_ch1(), 15.0f);
        EXPECT_LT(record.temp_ch2(), 40.0f);
        EXPECT_GT(record.batv(), 3.3f);
        EXPECT_LT(record.batv(), 4.3f);
    }
}

TEST(SimulatedContent, TimestampsStepAFewSecondsAcrossMidnightAndMonthEnds) {
    const SimulatedContent content(15000, 5);
    auto seconds = [](const MeasurementRecord& r) {
        // Days of July and August 2023 are enough for this logger's day.
        const int day = r.month() == 7 ? r.day() : 31 + r.day();
        return ((day * 24 + r.hour()) * 60 + r.minute()) * 60 + r.second();
    };
    MeasurementRecord previous = content.record(0);
    EXPECT_EQ(RecordTimeLabel(previous), "2023/ 7/14, 9:30: 0");
    for (int i = 1; i < content.recordCount(); i += 1) {
        const MeasurementRecord r = content.record(i);
        const int step = seconds(r) - seconds(previous);
        ASSERT_GE(step, 2) << i;
        ASSERT_LE(step, 6) << i;
        previous = r;
    }
    EXPECT_GE(previous.day(), 15) << "the day rolled over";
}

TEST(SimulatedContent, GpsSentencesWalkAPlausibleTrackWithinTheChartLimit) {
    const SimulatedContent content(15000, 9);
    const MeasurementRecord first = content.record(0);
    GpsFix fix;
    ParseGpsText(GpsSentenceBytes(first), fix);
    EXPECT_EQ(fix.latitude, 0.0) << "the receiver starts without a fix";

    CVarneloDoc doc;
    for (int i = 0; i < content.recordCount(); ++i) content.buildRecord(i, doc.record(i));
    doc.setRecordCount(content.recordCount());
    auto track = std::make_unique<GpsTrack>();
    ComputeTrack(doc, doc.recordCount(), *track);
    for (int i = 3; i < content.recordCount(); ++i) {
        const auto k = static_cast<std::size_t>(i);
        // Every point stays inside the chart's limit, so none repeats its predecessor.
        const double dlat = track->latitude[k] - content.trackPoint(2).latitude;
        ASSERT_LT(std::abs(dlat * TRACK_SCALE), TRACK_LIMIT);
        const double stepNorth = (track->latitude[k] - track->latitude[k - 1]) * 111320.0;
        const double stepEast = (track->longitude[k] - track->longitude[k - 1]) * 111320.0 * std::cos(0.6222);
        ASSERT_LT(std::hypot(stepNorth, stepEast), 300.0) << i;
        ASSERT_NEAR(track->latitude[k], content.trackPoint(i).latitude, 1e-6);
    }
    EXPECT_LT(track->max_x - track->min_x, 2 * TRACK_LIMIT);
    EXPECT_GT(track->max_x - track->min_x, 0.5) << "the walker moves";

    const std::string text(reinterpret_cast<const char*>(content.record(20).gps_text().data()));
    EXPECT_EQ(std::count(text.begin(), text.end(), ','), 11) << text;
    ParseGpsText(GpsSentenceBytes(content.record(20)), fix);
    EXPECT_NEAR(fix.latitude, content.trackPoint(20).latitude, 1e-5);
    EXPECT_NEAR(fix.longitude, content.trackPoint(20).longitude, 1e-5);
    EXPECT_NEAR(fix.speed, content.trackPoint(20).speedKnots * KNOTS_TO_MPS, 0.06);
}

TEST(LoggerModel, AnswersCommandsThatArriveInAnyPieces) {
    LoggerModel whole({5, 2, {}}), pieces({5, 2, {}});
    const Bytes commands = {0x8C, 0x00, 0x04, 0x00, 0x03, 0x00, 0x00, 0x00, 0x10, 0x00, 0x48, 0x1A,
                            0x12, 0x00, 0x04, 0x00};
    const Bytes expected = Feed(whole, commands);
    Bytes split;
    for (std::uint8_t b : commands) {
        const Bytes part = Feed(pieces, {b});
        split.insert(split.end(), part.begin(), part.end());
    }
    EXPECT_EQ(split, expected);
    ASSERT_EQ(expected.size(), 2u + 6728u + 4u);
    const MeasurementRecord three = whole.content().record(3);
    EXPECT_TRUE(std::equal(three.bytes.begin(), three.bytes.end(), expected.begin() + 2));
    EXPECT_EQ(Bytes(expected.end() - 4, expected.end()), (Bytes{5, 0, 0, 0}));
}

TEST(LoggerModel, RepliesHaveExactlyTheRequestedLength) {
    LoggerModel model({5, 2, {}});
    const Bytes longIdentity = Feed(model, {0x00, 0x00, 0x28, 0x00});  // 40 bytes of identity A
    ASSERT_EQ(longIdentity.size(), 40u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(longIdentity.data())), model.content().identityA());
    EXPECT_EQ(longIdentity.back(), 0);
    EXPECT_EQ(Feed(model, {0x08, 0x00, 0x10, 0x00}).size(), 16u);
    EXPECT_TRUE(Feed(model, {0x63, 0x00, 0x10, 0x00}).empty()) << "unknown commands get no answer";
    EXPECT_EQ(Feed(model, {0x12, 0x05, 0x12, 0x00, 0x04, 0x00}).size(), 4u) << "resynchronises on a bad header";
}

TEST(LoggerModel, KeepsAWrittenDeviceInfoBlockAndOutOfRangeRecordsReadAsZeros) {
    SimulatedLink link({3, 2, {}});
    DeviceInfoBlock block{};
    AssignSensor(block, 1, "NEWHEAD", {1, 2, 3, 4, 5, 6});
    EXPECT_TRUE(Send(link, DeviceCommand::CMD_WRITE_DEVICE_INFO, block.bytes));
    DeviceInfoBlock back{};
    EXPECT_TRUE(Request(link, DeviceCommand::CMD_READ_DEVICE_INFO, back.bytes.data(), DEVICE_INFO_SIZE));
    EXPECT_EQ(SensorName(back, 1), "NEWHEAD");

    const Bytes index = {3, 0, 0, 0};
    EXPECT_TRUE(Send(link, DeviceCommand::CMD_SELECT_RECORD, index));
    MeasurementRecord record;
    record.bytes.fill(0xEE);
    EXPECT_TRUE(Request(link, DeviceCommand::CMD_READ_RECORD, record.bytes.data(), BLOCK_SIZE));
    EXPECT_EQ(record.bytes, MeasurementRecord{}.bytes);
}

// How long the logger stays silent: the length of its silence in commands,
// else until its port is opened again; a one-off fault does not come back.
TEST(LoggerModel, SilenceEndsAfterItsLengthOrWhenTheClientLeaves) {
    const Bytes select5 = {0x8C, 0x00, 0x04, 0x00, 0x05, 0x00, 0x00, 0x00};
    const Bytes count = {0x12, 0x00, 0x04, 0x00};
    FaultPlan faults;
    faults.silentFrom = 5;
    faults.silenceLength = 2;
    LoggerModel brief({9, 2, faults});
    EXPECT_TRUE(Feed(brief, select5).empty());
    EXPECT_TRUE(Feed(brief, count).empty());
    EXPECT_EQ(Feed(brief, count).size(), 4u);
    EXPECT_EQ(Feed(brief, select5).size(), 2u) << "spent";

    faults.silenceLength = 0;
    faults.persistent = true;
    LoggerModel hung({9, 2, faults});
    EXPECT_TRUE(Feed(hung, select5).empty());
    for (int i = 0; i < 10; ++i) EXPECT_TRUE(Feed(hung, count).empty());
    hung.clientLeft();
    EXPECT_EQ(Feed(hung, count).size(), 4u);
    EXPECT_TRUE(Feed(hung, select5).empty()) << "persistent";

    FaultPlan atExchange;
    atExchange.silentAtExchange = 5;  // the record count
    LoggerModel skipping({9, 2, atExchange});
    EXPECT_TRUE(Feed(skipping, count).empty());
    EXPECT_EQ(Feed(skipping, count).size(), 4u);
}

TEST(LoggerModel, ConnectionShowsTheLoggersIdentityAndTwoSensorHeads) {
    CVarneloDoc doc;
    const LoggerConnection connection =
        ConnectLink(std::make_unique<SimulatedLink>(SimulatorSettings{12, 6, {}}), SIMULATED_PORT_NAME, doc);
    EXPECT_TRUE(connection.state.failures.empty());
    EXPECT_EQ(connection.state.recordCount, 12);
    EXPECT_EQ(connection.state.identityLabel.rfind("SL-2C SPECTRAL LOGGER V1.07 SN", 0), 0u);
    for (int channel = 0; channel < 2; ++channel) {
        const std::string name = SensorName(doc.deviceInfo(), channel);
        EXPECT_EQ(name.rfind("C12880MA", 0), 0u);
        EXPECT_LE(name.size(), 15u);
        EXPECT_NEAR(SensorCoefficients(doc.deviceInfo(), channel)[0], 308.2, 10.0);
    }
    EXPECT_GT(doc.parameterBlock().exp_ch2(), 0);
}

}  // namespace
}  // namespace varnelo
