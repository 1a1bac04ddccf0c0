// The clock's offset, the flags' thresholds and the panel on the path to results.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "export/clock_offset.h"
#include "export/record_rows.h"
#include "export/result_choices.h"

namespace varnelo {
namespace {

// A record at `clock` (h, m, s on 2023-07-14) whose sentence says `gps` in field 1.
MeasurementRecord Timed(int h, int m, int s, const std::string& gps, bool fix = true) {
    MeasurementRecord r{};
    r.set_time(43, 7, 14, h, m, s);
    r.set_gps_text("X," + gps + (fix ? ",A" : ",V") + ",3539.1234,N,13945.6789,E,0,0,9,12.3,4");
    return r;
}

TEST(ClockOffset, GivenOrFoundFromTheGpsTime) {
    const struct {
        const char* name;
        std::vector<MeasurementRecord> records;
        std::optional<int> minutes;
        const char* error;
    } found[] = {
        {"east", {Timed(9, 30, 0, "003000"), Timed(9, 31, 0, "003100.00")}, 540, ""},
        {"clock a minute off", {Timed(9, 30, 50, "002950"), Timed(9, 31, 40, "003000")}, 540, ""},
        {"west across midnight", {Timed(23, 0, 0, "023000")}, -210, ""},
        {"east across midnight", {Timed(1, 0, 0, "230000")}, 120, ""},
        {"+14:00 is the last zone", {Timed(14, 0, 0, "000000")}, 840, ""},
        {"void fixes are not read", {Timed(9, 30, 0, "123000", false), Timed(9, 30, 0, "003000")}, 540, ""},
        {"disagreeing records",
         {Timed(9, 0, 0, "1"), Timed(9, 30, 0, "003000"), Timed(9, 31, 0, "003000"), Timed(9, 33, 0, "003000")},
         std::nullopt, "records 1 and 3 disagree"},
        {"no GPS time", {Timed(9, 30, 0, "1"), Timed(9, 30, 0, "0930xx")}, std::nullopt, "give --utc-offset"},
    };
    for (const auto& c : found) {
        auto doc = std::make_unique<CVarneloDoc>();
        for (std::size_t i = 0; i < c.records.size(); ++i) doc->record(static_cast<int>(i)) = c.records[i];
        doc->setRecordCount(static_cast<int>(c.records.size()));
        const OffsetFinding finding = FindUtcOffset(DocumentRecords(*doc));
        EXPECT_EQ(finding.minutes, c.minutes) << c.name;
        EXPECT_NE(finding.error.find(c.error), std::string::npos) << c.name << ": " << finding.error;
    }
    const std::pair<const char*, std::optional<int>> given[] = {
        {"+09:00", 540}, {"-03:30", -210}, {"-12:00", -720}, {"+14:00", 840}, {"+00:00", 0},
        {"-12:15", {}},  {"+14:01", {}},   {"09:00", {}},    {"+9:00", {}},   {"+05:60", {}}};
    for (const auto& [text, minutes] : given) {
        std::string error;
        EXPECT_EQ(ParseUtcOffset(text, error), minutes) << text;
        EXPECT_EQ(error.empty(), minutes.has_value()) << text;
    }
    const MeasurementRecord r = Timed(0, 30, 0, "");
    EXPECT_EQ(OffsetIsoTime(r, 540), "2023-07-14T00:30:00+09:00");
    EXPECT_EQ(UtcIsoTime(r, 540), "2023-07-13T15:30:00Z");
    EXPECT_EQ(UtcIsoTime(r, -210), "2023-07-14T04:00:00Z");
}

// A record of flat readings with one raw reading of `head` at `counts`,
// at 12:00 local time in Tokyo in summer.
MeasurementRecord Lit(int head, std::size_t at, float counts, bool fix = true) {
    MeasurementRecord r = Timed(12, 0, 0, "030000", fix);
    r.set_exp(100, 100);
    for (std::size_t j = 0; j < SPECTRUM_LENGTH; ++j) {
        r.set_spectrum_ch1(j, 30000.0f);
        r.set_spectrum_ch2(j, 60000.0f);
        r.set_channel_diff(j, 1.0f);
    }
    if (head == 1) r.set_spectrum_ch1(at, counts);
    if (head == 2) r.set_spectrum_ch2(at, counts);
    return r;
}

TEST(QualityThresholds, FlagsAtAndAroundTheirThresholds) {
    // Tokyo at noon local time in July: the sun about 14° from the zenith.
    const double zenith = SolarPosition(*UtcSeconds(Lit(0, 0, 0.0f), 540), 35.6520567, 139.7613150).zenith;
    const struct {
        const char* name;
        MeasurementRecord record;
        float saturation;
        std::optional<int> offset;
        double maxZenith;
        unsigned flags;
    } cases[] = {
        {"below full scale", Lit(1, 0, 65534.0f), DEFAULT_SATURATION, {}, 60, 0},
        {"ch.1 at full scale, 340 nm", Lit(1, 0, 65535.0f), DEFAULT_SATURATION, {}, 60, QC_SATURATED},
        {"ch.2 at full scale, 850 nm", Lit(2, 510, 65535.0f), DEFAULT_SATURATION, {}, 60, QC_SATURATED},
        {"a lower threshold", Lit(2, 200, 60000.0f), 60000.0f, {}, 60, QC_SATURATED},
        {"just above every reading", Lit(0, 0, 0.0f), 60000.5f, {}, 60, 0},
        {"the threshold just past the sun", Lit(0, 0, 0.0f), DEFAULT_SATURATION, 540, zenith + 1e-4, 0},
        {"the sun just past the threshold", Lit(0, 0, 0.0f), DEFAULT_SATURATION, 540, zenith - 1e-4, QC_LOWSUN},
        {"no offset, no sun", Lit(0, 0, 0.0f), DEFAULT_SATURATION, {}, 0, 0},
        {"no fix, no sun", Lit(0, 0, 0.0f, false), DEFAULT_SATURATION, 540, 0, QC_NOFIX},
    };
    EXPECT_NEAR(zenith, 14.2, 0.5);
    for (const auto& c : cases) {
        RowStages stages;
        stages.saturation = c.saturation;
        stages.utcOffset = c.offset;
        stages.maxZenith = c.maxZenith;
        ResultRow row;
        RowMaker(stages, ElementMask().set(), true).make(std::span(&c.record, 1), nullptr, 0, row);
        EXPECT_EQ(row.flags, c.flags) << c.name << ": " << QualityText(row.flags);
        EXPECT_EQ(row.sun.has_value(), c.offset && c.flags != QC_NOFIX) << c.name;
    }
}

TEST(PanelStage, ComesBeforeSmoothingAndFlagsThePanel) {
    const MeasurementRecord record = Lit(0, 0, 0.0f);
    ReflectanceArray rho;
    rho.fill(0.99);
    auto panel = std::make_shared<PanelCalibration>(std::vector<int>{4}, rho);
    ReflectanceArray own;
    DefinedReflectance(record, own);
    panel->addPanel(RecordSeconds(record), own);
    RowStages stages;
    stages.panel = panel;
    stages.smoothing = SmoothingOptions{5, 2, false};
    for (const int number : {3, 4}) {
        ResultRow row;
        RowMaker(stages, ElementMask().set(), true).make(std::span(&record, 1), nullptr, number, row);
        EXPECT_NEAR(row.reflectance[0], 0.99, 1e-12) << number;
        EXPECT_NEAR(row.reflectance[255], 0.99, 1e-12) << number;
        EXPECT_EQ(row.flags, number == 4 ? unsigned{QC_PANEL} : 0u);
    }
}

// The window's kept choices against the open records: each problem names
// its setting, and a setting left alone keeps the command line's default.
TEST(ResultChoices, ResolveAgainstTheRecordsOrNameTheSetting) {
    using F = ChoiceProblem::Field;
    using O = ResultChoices::Offset;
    const auto with = [](O offset, const char* given, const char* panel, const char* rho, const char* zenith = "60",
                         const char* saturation = "65535") {
        return ResultChoices{offset, given, panel, rho, zenith, saturation};
    };
    const struct {
        const char* name;
        ResultChoices choices;
        bool gpsTime;
        std::optional<F> problem;
        const char* detail;
        std::optional<int> minutes;
    } cases[] = {
        {"defaults", {}, true, {}, "", {}},
        {"given", with(O::Given, "+09:00", "", ""), true, {}, "", 540},
        {"found", with(O::Auto, "", "", ""), true, {}, "", 540},
        {"none found", with(O::Auto, "", "", ""), false, F::Offset, "give --utc-offset", {}},
        {"given unreadable", with(O::Given, "9:00", "", ""), true, F::Offset, "9:00", {}},
        {"panel", with(O::None, "", "0,2", "0.99"), true, {}, "", {}},
        {"panel beyond", with(O::None, "", "0,3", "0.99"), true, F::PanelRecords, "names record 3 but the data holds 3", {}},
        {"panel unreadable", with(O::None, "", "0-", "0.99"), true, F::PanelRecords, "0-", {}},
        {"no such table", with(O::None, "", "0", "no-such-panel.csv"), true, F::PanelReflectance, "no-such-panel.csv", {}},
        {"zenith", with(O::None, "", "", "", "181"), true, F::MaxZenith, "181", {}},
        {"saturation", with(O::None, "", "", "", "60", "0"), true, F::Saturation, "0", {}},
    };
    for (const auto& c : cases) {
        auto doc = std::make_unique<CVarneloDoc>();
        for (int i = 0; i < 3; ++i) doc->record(i) = Timed(9, 30 + i, 0, c.gpsTime ? "00" + std::to_string(30 + i) + "00" : "1");
        doc->setRecordCount(3);
        const auto resolved = ResolveStages(c.choices, *doc);
        const auto* problem = std::get_if<ChoiceProblem>(&resolved);
        ASSERT_EQ(problem != nullptr, c.problem.has_value()) << c.name << ": " << (problem ? problem->detail : "");
        if (problem) {
            EXPECT_EQ(problem->field, *c.problem) << c.name;
            EXPECT_NE(problem->detail.find(c.detail), std::string::npos) << c.name << ": " << problem->detail;
            continue;
        }
        const RowStages& stages = std::get<RowStages>(resolved);
        EXPECT_EQ(stages.utcOffset, c.minutes) << c.name;
        EXPECT_EQ(stages.maxZenith, DEFAULT_MAX_ZENITH) << c.name;
        EXPECT_EQ(stages.saturation, DEFAULT_SATURATION) << c.name;
        EXPECT_EQ(stages.panel != nullptr, !c.choices.panelRecords.empty()) << c.name;
        EXPECT_TRUE(!stages.panel || (stages.panel->isPanel(2) && !stages.panel->isPanel(1))) << c.name;
    }
    // Shown, each record's own GPS time gives its offset: records that
    // disagree are no problem, one without a GPS time places no sun.
    auto doc = std::make_unique<CVarneloDoc>();
    doc->record(0) = Timed(9, 30, 0, "003000");
    doc->record(1) = Timed(9, 30, 0, "013000");
    doc->record(2) = Timed(9, 30, 0, "1");
    doc->setRecordCount(3);
    const ResultChoices found{ResultChoices::Offset::Auto, "", "", "", "60", "65535"};
    EXPECT_EQ(ShownStages(found, *doc, 0).utcOffset, 540);
    EXPECT_EQ(ShownStages(found, *doc, 1).utcOffset, 480);
    EXPECT_EQ(ShownStages(found, *doc, 2).utcOffset, std::nullopt);
}

}  // namespace
}  // namespace varnelo
