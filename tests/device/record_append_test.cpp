// Appending the logger's new records to a document: the check of record
// k-1, the refusals, the faults at the check and half way, and that nothing
// the document held changes.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "device/record_append.h"
#include "fake_link.h"
#include "simulator/simulated_link.h"

namespace varnelo {
namespace {

using AppendKind = AppendStep::Kind;
using Refusal = AppendRefusal;
constexpr std::uint32_t SEED = 11;

struct Case {
    const char* name;
    int held;               // records the document holds: the first of a logger of seed SEED
    int logger;             // records the logger holds
    std::uint32_t seed;     // of the logger
    FaultPlan faults;
    AppendKind last;        // the last step's kind
    Refusal refusal;
    int count;              // the document's count after
    int frames;             // frames written, discards not counted
    bool keepPartial = false;
    int cancelAfter = -1;   // ticks before a cancel
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

const Case CASES[] = {
    {"TwentyNewAfterAHundred", 100, 120, SEED, {}, AppendKind::Completed, Refusal::None, 120, 2 + 40},
    {"ClearedLogger", 100, 80, SEED, {}, AppendKind::Refused, Refusal::LoggerHoldsFewer, 100, 0},
    {"AnotherLogger", 100, 120, SEED + 1, {}, AppendKind::Refused, Refusal::RecordDiffers, 100, 2},
    {"NoNewRecords", 100, 100, SEED, {}, AppendKind::Refused, Refusal::NoNewRecords, 100, 2},
    {"EmptyDocument", 0, 120, SEED, {}, AppendKind::Refused, Refusal::NoRecords, 0, 0},
    {"SilentAtTheCheck", 100, 120, SEED, Silent(99), AppendKind::Stopped, Refusal::None, 100, 2},
    {"ShortCheckReplyOnce", 100, 120, SEED, ShortAt(99, false), AppendKind::Completed, Refusal::None, 120, 4 + 40},
    {"ExtraByteAtTheCheck", 100, 120, SEED, ExtraAt(99), AppendKind::Stopped, Refusal::None, 100, 4},
    {"StopHalfWayAppendsNothing", 100, 120, SEED, ShortAt(110, true), AppendKind::Stopped, Refusal::None, 100, 2 + 24},
    {"StopHalfWayKeepsCompleteOnes", 100, 120, SEED, ShortAt(110, true), AppendKind::Stopped, Refusal::None, 110, 2 + 24,
     true},
    {"CancelAppendsNothing", 100, 120, SEED, {}, AppendKind::Ignored, Refusal::None, 100, 2 + 10, false, 6},
    {"CountAboveCapacityIsHeld", RECORD_CAPACITY - 10, 20000, SEED, {}, AppendKind::Completed, Refusal::None,
     RECORD_CAPACITY, 2 + 20},
    {"FullDocument", RECORD_CAPACITY, 20000, SEED, {}, AppendKind::Refused, Refusal::NoNewRecords,
     RECORD_CAPACITY, 2},
};

std::ostream& operator<<(std::ostream& out, const Case& c) { return out << c.name; }

class RecordAppendRule : public ::testing::TestWithParam<Case> {};

TEST_P(RecordAppendRule, AppendsOnlyAfterAMatchingCheckAndNeverChangesWhatWasHeld) {
    const Case& c = GetParam();
    const SimulatedContent ours(std::max(c.held, c.logger), SEED);
    SimulatedLink logger({c.logger, c.seed, c.faults});
    test::TapLink tap(logger);
    auto doc = std::make_unique<CVarneloDoc>();
    doc->parameterBlock().bytes.fill(0xA5);  // not the logger's: the file's own
    // The rule reads record k-1 alone; earlier ones stay unfilled for speed.
    const int first = std::max(c.held - 3, 0);
    for (int i = first; i < c.held; ++i) ours.buildRecord(i, doc->record(i));
    doc->setRecordCount(c.held);
    const std::vector<MeasurementRecord> before(&doc->record(first), &doc->record(first) + (c.held - first));

    RecordAppend append(tap, *doc);
    EXPECT_EQ(append.start(logger.model().reportedCount(), c.keepPartial), DOWNLOAD_START_DELAY);
    AppendStep step;
    int ticks = 0;
    while (append.pending()) {
        if (ticks++ == c.cancelAfter) {
            append.cancel();
            break;
        }
        step = append.step();
        if (step.kind == AppendKind::Fetched) {
            EXPECT_EQ(step.label, RecordTimeLabel(doc->record(step.record)));
            EXPECT_EQ(step.done, step.record + 1 - c.held);
        }
    }
    if (c.cancelAfter < 0) {
        EXPECT_EQ(step.kind, c.last) << step.failure;
    }
    EXPECT_EQ(step.refusal, c.refusal);
    EXPECT_EQ(doc->recordCount(), c.count);
    const auto frames = std::count_if(tap.events.begin(), tap.events.end(), [](const auto& e) { return !e.empty(); });
    EXPECT_EQ(frames, c.frames);

    EXPECT_TRUE(std::all_of(doc->parameterBlock().bytes.begin(), doc->parameterBlock().bytes.end(),
                            [](std::uint8_t b) { return b == 0xA5; }));
    for (int i = first; i < c.held; ++i) EXPECT_EQ(doc->record(i).bytes, before[i - first].bytes) << "record " << i;
    for (int i = c.held; i < c.count; ++i) EXPECT_EQ(doc->record(i).bytes, ours.record(i).bytes) << "record " << i;
    // What an append that ended short wrote is gone, the half record included.
    for (int i = c.count; i < std::min(c.count + 30, RECORD_CAPACITY); ++i) {
        const auto& bytes = doc->record(i).bytes;
        EXPECT_TRUE(std::all_of(bytes.begin(), bytes.end(), [](std::uint8_t b) { return b == 0; })) << "block " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, RecordAppendRule, ::testing::ValuesIn(CASES),
                         [](const ::testing::TestParamInfo<Case>& info) { return info.param.name; });

}  // namespace
}  // namespace varnelo
