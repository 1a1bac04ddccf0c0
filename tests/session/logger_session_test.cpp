// The logger session over the in-process simulated logger: the exchanges on
// the wire, the retry and stop rules, the append's check and refusals, and
// what the document and its name are after every kind of ending.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <thread>

#include "device/interruptible_link.h"
#include "session/logger_session.h"
#include "simulator/simulated_link.h"

namespace varnelo {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Kind = SessionStep::Kind;
using Refusal = AppendRefusal;
constexpr std::uint32_t SEED = 11;

bool Zero(const MeasurementRecord& r) {
    return std::all_of(r.bytes.begin(), r.bytes.end(), [](std::uint8_t b) { return b == 0; });
}

// The cable and whatever logger is plugged into it. Every frame written,
// and every discard (an empty entry), is noted across connections; a
// logger unplugged stays alive, as a port the session still holds would.
class Cable {
public:
    void plug(const SimulatorSettings& settings) {
        if (m_plugged) m_plugged->unplug();
        m_loggers.push_back(std::make_unique<SimulatedLink>(settings));
        m_plugged = m_loggers.back().get();
    }
    void unplug() {
        if (m_plugged) m_plugged->unplug();
        m_plugged = nullptr;
    }
    SimulatedLink& logger() { return *m_plugged; }

    LoggerSession::Connector connector() {
        return [this]() -> ConnectOutcome {
            if (!m_plugged) return {std::nullopt, Status{Status::Kind::NoLogger, "no logger found"}};
            return {ConnectLink(std::make_unique<Tap>(*m_plugged, frames), "SIM"), {}};
        };
    }

    std::vector<Bytes> frames;

private:
    class Tap : public ByteLink {
    public:
        Tap(ByteLink& inner, std::vector<Bytes>& frames) : m_inner(inner), m_frames(frames) {}
        std::size_t write(std::span<const std::uint8_t> bytes, Deadline deadline) override {
            m_frames.emplace_back(bytes.begin(), bytes.end());
            m_noticed = m_inner.gone();
            return m_inner.write(bytes, deadline);
        }
        std::size_t read(std::uint8_t* buffer, std::size_t n, Deadline deadline) override {
            m_noticed = m_inner.gone();
            return m_inner.read(buffer, n, deadline);
        }
        void discardInput() override {
            m_frames.emplace_back();
            m_inner.discardInput();
        }
        bool inputPending() override { return m_inner.inputPending(); }
        // As a serial port: an unplug is noticed by the next exchange only.
        bool gone() const override { return m_noticed; }

    private:
        ByteLink& m_inner;
        bool m_noticed = false;
        std::vector<Bytes>& m_frames;
    };

    std::vector<std::unique_ptr<SimulatedLink>> m_loggers;
    SimulatedLink* m_plugged = nullptr;
};

class LoggerSessionTest : public ::testing::Test {
protected:
    // A logger plugged in and connected; the frames of the connection are forgotten.
    void Connect(const SimulatorSettings& settings) {
        cable.plug(settings);
        ASSERT_TRUE(logger.connect().ok());
        cable.frames.clear();
    }
    SimulatorSettings Logger(int records, FaultPlan faults = {}) { return {records, SEED, faults}; }
    // Runs steps back to back until the job is over; returns the last step.
    SessionStep RunToEnd() {
        SessionStep step;
        while (logger.busy()) step = logger.step();
        return step;
    }
    SessionStep Download() {
        EXPECT_TRUE(logger.startDownload().delay);
        return RunToEnd();
    }
    MeasurementRecord Theirs(int i) { return cable.logger().model().content().record(i); }

    Cable cable;
    Session session;
    CVarneloDoc& doc = session.doc();
    LoggerSession logger{session, cable.connector()};
};

// ---- the full download -------------------------------------------------------

TEST_F(LoggerSessionTest, ThreeRecordsGoSelectThenReadInIndexOrderAndTheCountFollowsEachRecord) {
    Connect(Logger(3));
    const JobStart start = logger.startDownload();
    ASSERT_TRUE(start.delay);
    EXPECT_EQ(start.delay->count(), 100);

    for (int i = 0; i < 3; ++i) {
        const SessionStep step = logger.step();
        EXPECT_EQ(step.kind, Kind::Record);
        EXPECT_EQ(step.record, i);
        EXPECT_EQ(step.done, i + 1);
        EXPECT_EQ(step.first, i == 0);
        EXPECT_EQ(step.label, RecordTimeLabel(Theirs(i)));
        ASSERT_TRUE(step.rearm);
        EXPECT_EQ(step.rearm->count(), 10);
        EXPECT_EQ(doc.recordCount(), i + 1) << "the document holds the records complete so far";
    }
    const SessionStep last = logger.step();
    EXPECT_EQ(last.kind, Kind::Completed);
    EXPECT_FALSE(last.rearm);
    EXPECT_FALSE(logger.busy());
    EXPECT_EQ(doc.recordCount(), 3);

    const std::vector<Bytes> expected = {
        {0x8C, 0x00, 0x04, 0x00, 0x00, 0x00, 0x00, 0x00}, {0x10, 0x00, 0x48, 0x1A},
        {0x8C, 0x00, 0x04, 0x00, 0x01, 0x00, 0x00, 0x00}, {0x10, 0x00, 0x48, 0x1A},
        {0x8C, 0x00, 0x04, 0x00, 0x02, 0x00, 0x00, 0x00}, {0x10, 0x00, 0x48, 0x1A},
    };
    EXPECT_EQ(cable.frames, expected);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(doc.record(i).bytes, Theirs(i).bytes);
    EXPECT_EQ(doc.parameterBlock().bytes, cable.logger().model().content().parameters().bytes);

    // Idle steps and a start while busy do nothing.
    const std::size_t frames = cable.frames.size();
    EXPECT_EQ(logger.step().kind, Kind::Idle);
    ASSERT_TRUE(logger.startDownload().delay);
    EXPECT_FALSE(logger.startDownload().delay) << "one job at a time";
    EXPECT_EQ(logger.step().record, 0);
    EXPECT_EQ(cable.frames.size(), frames + 2);
}

// The track and the readouts of a record chosen mid-download describe the
// records that arrived, never the blocks of the document before.
TEST_F(LoggerSessionTest, TheTrackDuringADownloadCoversOnlyTheRecordsArrived) {
    Connect(Logger(30));
    doc.setRecordCount(500);
    ASSERT_TRUE(logger.startDownload().delay);
    for (int i = 0; i < 12; ++i) logger.step();
    EXPECT_EQ(session.trackCount(), 12);
    logger.step();
    EXPECT_EQ(session.trackCount(), 13);
}

TEST_F(LoggerSessionTest, ZeroCountCompletesAtOnceAndLeavesTheDocumentNegativeOrHugeCountsAreHeld) {
    for (const std::int32_t reported : {0, -5}) {
        FaultPlan faults;
        faults.reportedCount = reported;
        Connect(Logger(4, faults));
        doc.setRecordCount(7);
        const SessionStep step = Download();
        EXPECT_EQ(step.kind, Kind::Completed);
        EXPECT_EQ(step.total, 0);
        EXPECT_EQ(doc.recordCount(), 7) << "a read that brings nothing takes nothing away";
        EXPECT_TRUE(cable.frames.empty());
    }
    FaultPlan faults;
    faults.reportedCount = 20000;
    Connect(Logger(2, faults));
    EXPECT_EQ(Download().kind, Kind::Completed);
    EXPECT_EQ(doc.recordCount(), RECORD_CAPACITY) << "only the first 15000 are asked for";
    EXPECT_EQ(cable.logger().model().recordReplies(), RECORD_CAPACITY);
}

TEST_F(LoggerSessionTest, AOneOffFaultIsRetriedAfterDiscardingAndTheRecordArrivesWhole) {
    for (const bool shortReply : {true, false}) {
        FaultPlan faults;
        (shortReply ? faults.shortReplyAt : faults.dropByteAt) = 1;
        Connect(Logger(3, faults));
        ASSERT_TRUE(logger.startDownload().delay);
        EXPECT_EQ(logger.step().kind, Kind::Record);
        EXPECT_EQ(logger.step().kind, Kind::Record);
        EXPECT_EQ(RunToEnd().kind, Kind::Completed);
        EXPECT_EQ(doc.recordCount(), 3);
        for (int i = 0; i < 3; ++i) EXPECT_EQ(doc.record(i).bytes, Theirs(i).bytes);
        // select 0, read, select 1, read (fails), discard, select 1, read, ...
        ASSERT_GE(cable.frames.size(), 6u);
        EXPECT_TRUE(cable.frames[4].empty()) << "stale input is discarded before the retry";
        EXPECT_EQ(cable.frames[5], (Bytes{0x8C, 0x00, 0x04, 0x00, 0x01, 0x00, 0x00, 0x00}));
    }
}

TEST_F(LoggerSessionTest, ARepeatedFaultStopsAfterExactlyTwoAttemptsAndKeepsOnlyTheCompleteRecords) {
    FaultPlan faults;
    faults.shortReplyAt = 4;
    faults.persistent = true;
    Connect(Logger(10, faults));
    doc.setRecordCount(50);  // a file opened earlier held more
    const SessionStep last = Download();
    const Bytes selectFour = {0x8C, 0x00, 0x04, 0x00, 0x04, 0x00, 0x00, 0x00};
    EXPECT_EQ(std::count(cable.frames.begin(), cable.frames.end(), selectFour), 2) << "one attempt and one retry";
    EXPECT_EQ(cable.frames.back(), (Bytes{0x10, 0x00, 0x48, 0x1A})) << "nothing after the second failed read";
    EXPECT_EQ(last.kind, Kind::Stopped);
    EXPECT_EQ(last.record, 4);
    EXPECT_EQ(last.kept, 4);
    EXPECT_FALSE(last.rearm);
    EXPECT_EQ(DescribeStop(last).rfind("record 4: record read (command 16): 3364 of 6728", 0), 0u) << DescribeStop(last);
    EXPECT_EQ(doc.recordCount(), 4) << "the half-filled record 4 is not counted";
    for (int i = 0; i < 4; ++i) EXPECT_EQ(doc.record(i).bytes, Theirs(i).bytes);
    EXPECT_TRUE(Zero(doc.record(4))) << "the half record is not left behind";
}

// A surplus byte would shift every later reply by one: each record after it
// would arrive whole in length and wrong in content.
TEST_F(LoggerSessionTest, AReplyWithAnExtraByteIsRetriedAndNothingShifts) {
    FaultPlan faults;
    faults.extraByteAt = 2;
    Connect(Logger(6, faults));
    EXPECT_EQ(Download().kind, Kind::Completed);
    ASSERT_EQ(doc.recordCount(), 6);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(doc.record(i).bytes, Theirs(i).bytes) << i;

    faults.persistent = true;
    Connect(Logger(6, faults));
    const SessionStep last = Download();
    EXPECT_EQ(last.kind, Kind::Stopped);
    EXPECT_NE(DescribeStop(last).find("longer than"), std::string::npos) << DescribeStop(last);
    EXPECT_EQ(doc.recordCount(), 2);
}

// ---- only the new records ------------------------------------------------------

struct AppendCase {
    const char* name;
    int held;               // records the document holds: the first of a logger of seed SEED
    int logger;             // records the logger holds
    std::uint32_t seed;     // of the logger
    FaultPlan faults;
    Kind last;              // the last step's kind
    Refusal refusal;
    int count;              // the document's count after
    int frames;             // frames written, discards not counted
    bool keepPartial = false;
    int stopAfter = -1;     // steps before the stop control
};

FaultPlan At(int FaultPlan::*fault, int record, bool always = true) {
    FaultPlan plan;
    plan.*fault = record;
    plan.persistent = always;
    return plan;
}
FaultPlan Silent(int from) { return At(&FaultPlan::silentFrom, from, false); }
FaultPlan ShortAt(int k, bool always) { return At(&FaultPlan::shortReplyAt, k, always); }
FaultPlan ExtraAt(int k) { return At(&FaultPlan::extraByteAt, k); }

// Each append reads the count again (one frame) before its check (two).
const AppendCase APPEND_CASES[] = {
    {"TwentyNewAfterAHundred", 100, 120, SEED, {}, Kind::Completed, Refusal::None, 120, 3 + 40},
    {"ClearedLogger", 100, 80, SEED, {}, Kind::Refused, Refusal::LoggerHoldsFewer, 100, 1},
    {"AnotherLogger", 100, 120, SEED + 1, {}, Kind::Refused, Refusal::RecordDiffers, 100, 3},
    {"NoNewRecords", 100, 100, SEED, {}, Kind::Refused, Refusal::NoNewRecords, 100, 3},
    {"EmptyDocument", 0, 120, SEED, {}, Kind::Refused, Refusal::NoRecords, 0, 0},
    {"SilentAtTheCheck", 100, 120, SEED, Silent(99), Kind::Stopped, Refusal::None, 100, 3},
    {"ShortCheckReplyOnce", 100, 120, SEED, ShortAt(99, false), Kind::Completed, Refusal::None, 120, 5 + 40},
    {"ExtraByteAtTheCheck", 100, 120, SEED, ExtraAt(99), Kind::Stopped, Refusal::None, 100, 5},
    {"StopHalfWayAppendsNothing", 100, 120, SEED, ShortAt(110, true), Kind::Stopped, Refusal::None, 100, 3 + 24},
    {"StopHalfWayKeepsCompleteOnes", 100, 120, SEED, ShortAt(110, true), Kind::Stopped, Refusal::None, 110, 3 + 24,
     true},
    {"StopControlAppendsNothing", 100, 120, SEED, {}, Kind::Stopped, Refusal::None, 100, 3 + 10, false, 7},
    {"StopControlKeepsCompleteOnesIfAsked", 100, 120, SEED, {}, Kind::Stopped, Refusal::None, 105, 3 + 10, true, 7},
    {"CountAboveCapacityIsHeld", RECORD_CAPACITY - 10, 20000, SEED, {}, Kind::Completed, Refusal::None,
     RECORD_CAPACITY, 3 + 20},
    {"FullDocument", RECORD_CAPACITY, 20000, SEED, {}, Kind::Refused, Refusal::NoNewRecords, RECORD_CAPACITY, 3},
};

std::ostream& operator<<(std::ostream& out, const AppendCase& c) { return out << c.name; }

class AppendRule : public LoggerSessionTest, public ::testing::WithParamInterface<AppendCase> {};

TEST_P(AppendRule, AppendsOnlyAfterAMatchingCheckAndNeverChangesWhatWasHeld) {
    const AppendCase& c = GetParam();
    const SimulatedContent ours(std::max(c.held, c.logger), SEED);
    Connect({c.logger, c.seed, c.faults});
    doc.parameterBlock().bytes.fill(0xA5);  // not the logger's: the file's own
    // The rule reads record k-1 alone; earlier ones stay unfilled for speed.
    const int first = std::max(c.held - 3, 0);
    for (int i = first; i < c.held; ++i) ours.buildRecord(i, doc.record(i));
    doc.setRecordCount(c.held);
    const std::vector<MeasurementRecord> before(&doc.record(first), &doc.record(first) + (c.held - first));

    const JobStart start = logger.startAppend(c.keepPartial);
    SessionStep step = start.refused;
    for (int steps = 0; start.delay && logger.busy(); ++steps) {
        step = steps == c.stopAfter ? logger.stop() : logger.step();
        if (step.kind == Kind::Record) {
            EXPECT_EQ(step.label, RecordTimeLabel(doc.record(step.record)));
            EXPECT_EQ(step.done, step.record + 1 - c.held);
        }
    }
    EXPECT_EQ(step.kind, c.last) << DescribeStop(step);
    EXPECT_EQ(step.refusal, c.refusal);
    EXPECT_EQ(doc.recordCount(), c.count);
    const auto frames = std::count_if(cable.frames.begin(), cable.frames.end(), [](const Bytes& e) { return !e.empty(); });
    EXPECT_EQ(frames, c.frames);
    EXPECT_EQ(session.changed(), c.count > c.held) << "a refused or empty append leaves nothing to save";

    EXPECT_TRUE(std::all_of(doc.parameterBlock().bytes.begin(), doc.parameterBlock().bytes.end(),
                            [](std::uint8_t b) { return b == 0xA5; }));
    for (int i = first; i < c.held; ++i) EXPECT_EQ(doc.record(i).bytes, before[i - first].bytes) << "record " << i;
    for (int i = c.held; i < c.count; ++i) EXPECT_EQ(doc.record(i).bytes, ours.record(i).bytes) << "record " << i;
    // What an append that ended short wrote is gone, the half record included.
    for (int i = c.count; i < std::min(c.count + 30, RECORD_CAPACITY); ++i)
        EXPECT_TRUE(Zero(doc.record(i))) << "block " << i;
}

INSTANTIATE_TEST_SUITE_P(Cases, AppendRule, ::testing::ValuesIn(APPEND_CASES),
                         [](const ::testing::TestParamInfo<AppendCase>& info) { return info.param.name; });

// ---- the logger comes and goes ------------------------------------------------------

// What the user does between opening a file of 100 records (named) and the
// end of the job, and what the document is then.
struct Sequence {
    const char* name;
    LoggerJob job;
    int atConnection;  // records of the logger plugged in at the start; -1: none
    int atPress;       // the logger plugged in when the button is pressed (a replug); -1: pulled; 0: unchanged
    Kind last;
    int count;         // the document's count after
    bool named;        // the document still carries the file's name
    bool reconnected = false;  // the press connects again
};

const Sequence SEQUENCES[] = {
    // Pulled before the press: the job finds the port gone, connects once
    // more, finds nobody, and the file's records stay on screen, named.
    {"DownloadAfterAnUnplug", LoggerJob::Download, 130, -1, Kind::NotConnected, 100, true, true},
    {"AppendAfterAnUnplug", LoggerJob::Append, 130, -1, Kind::NotConnected, 100, true, true},
    // Replugged: the first press reconnects and goes on, on the new count.
    {"DownloadAfterAReplug", LoggerJob::Download, 130, 200, Kind::Completed, 200, false, true},
    {"AppendAfterAReplug", LoggerJob::Append, 130, 200, Kind::Completed, 200, true, true},
    // The logger measured on while connected: the append reads the count again.
    {"AppendToALoggerThatMeasuredOn", LoggerJob::Append, 150, 0, Kind::Completed, 150, true},
    {"AppendNoLoggerAtAll", LoggerJob::Append, -1, 0, Kind::NotConnected, 100, true, true},
    {"DownloadNoLoggerAtAll", LoggerJob::Download, -1, 0, Kind::NotConnected, 100, true, true},
};

std::ostream& operator<<(std::ostream& out, const Sequence& s) { return out << s.name; }

class Sequences : public LoggerSessionTest, public ::testing::WithParamInterface<Sequence> {};

TEST_P(Sequences, TheDocumentChangesOnlyWithTheFirstRecord) {
    const Sequence& s = GetParam();
    const SimulatedContent file(100, SEED);
    for (int i = 0; i < 100; ++i) file.buildRecord(i, doc.record(i));
    doc.setRecordCount(100);
    EXPECT_FALSE(session.open("/nonexistent"));  // refused: changes nothing
    if (s.atConnection >= 0) cable.plug(Logger(s.atConnection));
    // At the connection the logger held the file's records, no more.
    if (s.atConnection > 100) cable.logger().model().reportCount(100);
    (void)logger.connect();
    if (s.atConnection > 100) cable.logger().model().reportCount(std::nullopt);
    if (s.atPress < 0) cable.unplug();
    if (s.atPress > 0) cable.plug(Logger(s.atPress));

    const JobStart start = s.job == LoggerJob::Download ? logger.startDownload() : logger.startAppend(false);
    const SessionStep last = start.delay ? RunToEnd() : start.refused;
    EXPECT_EQ(last.kind, s.last) << DescribeStop(last) << last.connect.detail;
    EXPECT_EQ(logger.connections(), s.reconnected ? 2 : 1) << "the press connects again";
    EXPECT_EQ(doc.recordCount(), s.count);
    for (int i = 0; i < std::min(s.count, 100); ++i) EXPECT_EQ(doc.record(i).bytes, file.record(i).bytes) << i;
    EXPECT_EQ(session.changed(), s.count != 100 || !s.named);
}

INSTANTIATE_TEST_SUITE_P(Cases, Sequences, ::testing::ValuesIn(SEQUENCES),
                         [](const ::testing::TestParamInfo<Sequence>& info) { return info.param.name; });

// One identity request unanswered: the other four exchanges are still
// made, so the logger can be downloaded; a port gone ends the connection.
TEST_F(LoggerSessionTest, TheConnectionMakesEveryExchangeAfterOneGoesUnanswered) {
    FaultPlan faults;
    faults.silentAtExchange = 1;
    faults.silenceLength = 1;
    cable.plug(Logger(5, faults));
    EXPECT_TRUE(logger.connect().ok());
    const LoggerState& state = *logger.state();
    EXPECT_FALSE(state.identityRead);
    EXPECT_TRUE(state.deviceInfoRead && state.parametersRead && state.countRead);
    ASSERT_EQ(state.failures.size(), 1u);
    EXPECT_EQ(CommandOf(state.failures.front()), DeviceCommand::CMD_READ_IDENT_B);
    EXPECT_EQ(Download().kind, Kind::Completed);
    EXPECT_EQ(doc.recordCount(), 5);

    cable.unplug();
    EXPECT_EQ(logger.connect().kind, Status::Kind::NoLogger);
    EXPECT_FALSE(logger.connected());
}

// A logger that never answers, on another thread than the one that stops
// it: the interrupt ends even the connection's two-second waits at once,
// and the session is left to connect afresh.
class NeverAnswers : public ByteLink {
public:
    std::size_t write(std::span<const std::uint8_t> bytes, Deadline) override { return bytes.size(); }
    std::size_t read(std::uint8_t*, std::size_t, Deadline deadline) override {
        std::this_thread::sleep_until(deadline);
        return 0;
    }
    void discardInput() override {}
};

TEST(LoggerSession, AnInterruptFromAnotherThreadEndsASilentConnectionAtOnce) {
    auto interrupt = std::make_shared<LinkInterrupt>();
    LoggerSession logger(ConnectOnce(std::make_unique<InterruptibleLink>(std::make_unique<NeverAnswers>(), interrupt), "P"));
    Status report;
    const auto start = std::chrono::steady_clock::now();
    std::thread connecting([&] { report = logger.connect(); });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    interrupt->raise();
    connecting.join();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500));
    EXPECT_EQ(report.kind, Status::Kind::NoAnswer);
    EXPECT_EQ(logger.portName(), "P");
    interrupt->clear();
    EXPECT_EQ(logger.startDownload().refused.kind, SessionStep::Kind::NotConnected) << "the once-only link is gone";
}

}  // namespace
}  // namespace varnelo
