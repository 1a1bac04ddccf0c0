#include <gtest/gtest.h>

#include <algorithm>

#include "device/record_download.h"
#include "fake_link.h"
#include "simulator/simulated_link.h"

namespace varnelo {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Kind = DownloadStep::Kind;

SimulatorSettings Logger(int records, FaultPlan faults = {}) { return {records, 11, faults}; }

// Runs ticks back to back until the download is over; returns the last step.
DownloadStep RunToEnd(RecordDownload& download) {
    DownloadStep step;
    while (download.pending()) step = download.step();
    return step;
}

bool SameRecord(const MeasurementRecord& a, const MeasurementRecord& b) { return a.bytes == b.bytes; }

TEST(RecordDownload, ThreeRecordsGoSelectThenReadInIndexOrderAndCountIsSetAtTheFourthTick) {
    SimulatedLink logger(Logger(3));
    test::TapLink tap(logger);
    CVarneloDoc doc;
    RecordDownload download(tap, doc);
    EXPECT_EQ(download.start(3), DOWNLOAD_START_DELAY);
    EXPECT_EQ(DOWNLOAD_START_DELAY.count(), 100);

    for (int i = 0; i < 3; ++i) {
        const DownloadStep step = download.step();
        EXPECT_EQ(step.kind, Kind::Fetched);
        EXPECT_EQ(step.record, i);
        EXPECT_EQ(step.done, i + 1);
        EXPECT_EQ(step.label, RecordTimeLabel(logger.model().content().record(i)));
        ASSERT_TRUE(step.rearm);
        EXPECT_EQ(step.rearm->count(), 10);
        EXPECT_EQ(doc.recordCount(), 0) << "the count changes only at completion";
    }
    const DownloadStep last = download.step();
    EXPECT_EQ(last.kind, Kind::Completed);
    EXPECT_FALSE(last.rearm);
    EXPECT_FALSE(download.pending());
    EXPECT_EQ(doc.recordCount(), 3);

    const std::vector<Bytes> expected = {
        {0x8C, 0x00, 0x04, 0x00, 0x00, 0x00, 0x00, 0x00}, {0x10, 0x00, 0x48, 0x1A},
        {0x8C, 0x00, 0x04, 0x00, 0x01, 0x00, 0x00, 0x00}, {0x10, 0x00, 0x48, 0x1A},
        {0x8C, 0x00, 0x04, 0x00, 0x02, 0x00, 0x00, 0x00}, {0x10, 0x00, 0x48, 0x1A},
    };
    EXPECT_EQ(tap.events, expected);
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(SameRecord(doc.record(i), logger.model().content().record(i)));
}

TEST(RecordDownload, PressingAgainRestartsFromRecordZero) {
    SimulatedLink logger(Logger(5));
    test::TapLink tap(logger);
    CVarneloDoc doc;
    RecordDownload download(tap, doc);
    download.start(5);
    download.start(5);  // a double press: still only one fetch of record 0 at the first tick
    EXPECT_EQ(download.step().record, 0);
    EXPECT_EQ(download.step().record, 1);
    EXPECT_EQ(tap.events.size(), 4u);

    EXPECT_EQ(download.start(5), DOWNLOAD_START_DELAY);
    EXPECT_EQ(download.nextRecord(), 0);
    EXPECT_EQ(download.step().record, 0);
    EXPECT_EQ(RunToEnd(download).kind, Kind::Completed);
    EXPECT_EQ(doc.recordCount(), 5);
}

TEST(RecordDownload, CancelBetweenTicksKeepsTheCompleteRecords) {
    SimulatedLink logger(Logger(5));
    CVarneloDoc doc;
    RecordDownload download(logger, doc);
    download.start(5);
    download.step();
    download.step();
    download.cancel();
    EXPECT_FALSE(download.pending());
    EXPECT_EQ(doc.recordCount(), 2);
    EXPECT_EQ(download.step().kind, Kind::Ignored);
}

TEST(RecordDownload, IdleTicksDoNothing) {
    SimulatedLink logger(Logger(2));
    test::TapLink tap(logger);
    CVarneloDoc doc;
    RecordDownload download(tap, doc);
    EXPECT_EQ(download.step().kind, Kind::Ignored);
    download.start(2);
    RunToEnd(download);
    const std::size_t events = tap.events.size();
    EXPECT_EQ(download.step().kind, Kind::Ignored);
    EXPECT_EQ(tap.events.size(), events);
}

TEST(RecordDownload, ZeroCountCompletesAtTheFirstTickAndNegativeOrHugeCountsAreHeld) {
    SimulatedLink logger(Logger(0));
    test::TapLink tap(logger);
    CVarneloDoc doc;
    doc.setRecordCount(7);
    RecordDownload download(tap, doc);
    download.start(-5);
    EXPECT_EQ(download.total(), 0);
    EXPECT_EQ(download.step().kind, Kind::Completed);
    EXPECT_EQ(doc.recordCount(), 0);
    EXPECT_TRUE(tap.events.empty());

    download.start(20000);
    EXPECT_EQ(download.total(), RECORD_CAPACITY);
}

TEST(RecordDownload, AboveCapacityOnlyTheFirst15000AreAskedFor) {
    FaultPlan faults;
    faults.reportedCount = 20000;
    SimulatedLink logger(Logger(2, faults));
    CVarneloDoc doc;
    RecordDownload download(logger, doc);
    download.start(20000);
    const DownloadStep last = RunToEnd(download);
    EXPECT_EQ(last.kind, Kind::Completed);
    EXPECT_EQ(doc.recordCount(), RECORD_CAPACITY);
    EXPECT_EQ(logger.model().recordReplies(), RECORD_CAPACITY);
}

TEST(RecordDownload, AOneOffFaultIsRetriedAfterDiscardingAndTheRecordArrivesWhole) {
    for (const bool shortReply : {true, false}) {
        FaultPlan faults;
        (shortReply ? faults.shortReplyAt : faults.dropByteAt) = 1;
        SimulatedLink logger(Logger(3, faults));
        test::TapLink tap(logger);
        CVarneloDoc doc;
        RecordDownload download(tap, doc);
        download.start(3);
        EXPECT_FALSE(download.step().retried);
        const DownloadStep retried = download.step();
        EXPECT_EQ(retried.kind, Kind::Fetched);
        EXPECT_TRUE(retried.retried);
        EXPECT_EQ(RunToEnd(download).kind, Kind::Completed);
        EXPECT_EQ(doc.recordCount(), 3);
        for (int i = 0; i < 3; ++i) EXPECT_TRUE(SameRecord(doc.record(i), logger.model().content().record(i)));
        // select 0, read, select 1, read (fails), discard, select 1, read, ...
        ASSERT_GE(tap.events.size(), 5u);
        EXPECT_TRUE(tap.events[4].empty()) << "stale input is discarded before the retry";
        EXPECT_EQ(tap.events[5], (Bytes{0x8C, 0x00, 0x04, 0x00, 0x01, 0x00, 0x00, 0x00}));
    }
}

TEST(RecordDownload, ARepeatedFaultStopsAfterExactlyTwoAttemptsAndKeepsOnlyTheCompleteRecords) {
    FaultPlan faults;
    faults.shortReplyAt = 4;
    faults.persistent = true;
    SimulatedLink logger(Logger(10, faults));
    test::TapLink tap(logger);
    CVarneloDoc doc;
    doc.setRecordCount(50);  // a file opened earlier held more
    RecordDownload download(tap, doc);
    download.start(10);
    const DownloadStep last = RunToEnd(download);
    const Bytes selectFour = {0x8C, 0x00, 0x04, 0x00, 0x04, 0x00, 0x00, 0x00};
    EXPECT_EQ(std::count(tap.events.begin(), tap.events.end(), selectFour), 2) << "one attempt and one retry";
    EXPECT_EQ(tap.events.back(), (Bytes{0x10, 0x00, 0x48, 0x1A})) << "nothing after the second failed read";
    EXPECT_EQ(last.kind, Kind::Stopped);
    EXPECT_EQ(last.record, 4);
    EXPECT_EQ(last.done, 4);
    EXPECT_FALSE(last.rearm);
    EXPECT_NE(last.failure.find("record 4"), std::string::npos);
    EXPECT_EQ(doc.recordCount(), 4) << "the half-filled record 4 is not counted";
    for (int i = 0; i < 4; ++i) EXPECT_TRUE(SameRecord(doc.record(i), logger.model().content().record(i)));
    EXPECT_FALSE(SameRecord(doc.record(4), logger.model().content().record(4)));
}

// A surplus byte would shift every later reply by one: each record after it
// would arrive whole in length and wrong in content.
TEST(RecordDownload, AReplyWithAnExtraByteIsRetriedAndNothingShifts) {
    FaultPlan faults;
    faults.extraByteAt = 2;
    SimulatedLink logger(Logger(6, faults));
    CVarneloDoc doc;
    RecordDownload download(logger, doc);
    download.start(6);
    int retried = 0;
    while (download.pending()) retried += download.step().retried ? 1 : 0;
    EXPECT_EQ(retried, 1);
    ASSERT_EQ(doc.recordCount(), 6);
    for (int i = 0; i < 6; ++i) EXPECT_TRUE(SameRecord(doc.record(i), logger.model().content().record(i))) << i;

    faults.persistent = true;
    SimulatedLink always(Logger(6, faults));
    RecordDownload stopped(always, doc);
    stopped.start(6);
    const DownloadStep last = RunToEnd(stopped);
    EXPECT_EQ(last.kind, Kind::Stopped);
    EXPECT_NE(last.failure.find("longer than"), std::string::npos) << last.failure;
    EXPECT_EQ(doc.recordCount(), 2);
}

TEST(RecordDownload, ASilentLoggerStopsTheDownloadAtThatRecord) {
    FaultPlan faults;
    faults.silentFrom = 6;
    SimulatedLink logger(Logger(20, faults));
    CVarneloDoc doc;
    RecordDownload download(logger, doc);
    download.start(20);
    const DownloadStep last = RunToEnd(download);
    EXPECT_EQ(last.kind, Kind::Stopped);
    EXPECT_EQ(last.record, 6);
    EXPECT_EQ(doc.recordCount(), 6);
}

TEST(RecordDownload, AnUnpluggedLoggerStopsAndSaysSo) {
    SimulatedLink logger(Logger(20));
    CVarneloDoc doc;
    RecordDownload download(logger, doc);
    download.start(20);
    download.step();
    download.step();
    logger.unplug();
    const DownloadStep stopped = download.step();
    EXPECT_EQ(stopped.kind, Kind::Stopped);
    EXPECT_EQ(stopped.record, 2);
    EXPECT_NE(stopped.failure.find("gone"), std::string::npos);
    EXPECT_EQ(doc.recordCount(), 2);
}

}  // namespace
}  // namespace varnelo
