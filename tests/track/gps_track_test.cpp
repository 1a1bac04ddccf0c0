#include "track/gps_track.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <tuple>

namespace varnelo {
namespace {

constexpr std::string_view EXAMPLE = "X,1,2,3539.1234,N,13945.6789,E,10.0,90.0,9,12.3,45.6";

GpsFix Parse(std::string_view text, GpsFix fix = {}) {
    ParseGpsText(std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()), fix);
    return fix;
}

// A fix whose four motion values are easy to recognise when left untouched.
GpsFix Marked() { return GpsFix{7.0, 8.0, -1.5f, -2.5f, -3.5f, -4.5f}; }

TEST(ParseGpsText, ReadsTheExampleSentence) {
    const GpsFix fix = Parse(EXAMPLE);
    EXPECT_DOUBLE_EQ(fix.latitude, 35.0 + 39.1234 / 60.0);
    EXPECT_NEAR(fix.latitude, 35.65205666, 1e-8);
    EXPECT_DOUBLE_EQ(fix.longitude, 139.761315);
    EXPECT_EQ(fix.speed, static_cast<float>(10.0 * 0.51444));
    EXPECT_EQ(fix.speed, 5.1444f);
    EXPECT_EQ(fix.course, 90.0f);
    EXPECT_EQ(fix.altitude, 12.3f);
    EXPECT_EQ(fix.altitude2, 45.6f);

    // Hemisphere letters, field 9 and fields after the 11th are not read.
    const GpsFix other = Parse("X,1,2,3539.1234,S,13945.6789,W,10.0,90.0,oops,12.3,45.6,77,88");
    EXPECT_EQ(other.latitude, fix.latitude);
    EXPECT_EQ(other.longitude, fix.longitude);
    EXPECT_EQ(other.altitude, 12.3f);
    EXPECT_EQ(other.altitude2, 45.6f);
}

TEST(ReadPositionMarks, StatusAndHemispheresWithinTheScan) {
    const auto marks = [](std::string_view text) {
        const PositionMarks m =
            ReadPositionMarks(std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
        return std::string(m.noFix ? "V" : "-") + (m.south ? "S" : "-") + (m.west ? "W" : "-");
    };
    const std::string padding(GPS_SCAN_LIMIT - 9, ' ');  // the comma before "S" is byte 128: outside
    const struct {
        std::string text;
        const char* expected;
    } cases[] = {
        {std::string(EXAMPLE), "---"},
        {"X,1,A,3352.0,S,15112.0,W,1", "-SW"},
        {"X,1,V,,,,", "V--"},
        {"X,1,A,3352.0,s,15112.0,w", "---"},             // letters as the receiver sends them: upper case
        {"X,1,A,1.0,S", "-S-"},                          // the sentence ends early
        {std::string("X,1,A,1.0,S\0,1.0,W", 19), "-S-"},  // a NUL ends the scan
        {"X,1,A,1.0,N,2.0,E,S,W,V", "---"},              // later fields carry no marks
        {"X,1,A,1.0" + padding + ",S,2.0,W", "---"},     // field 4 starts past the scan limit
        {"X,1,A,1.0" + padding.substr(1) + ",S", "-S-"},  // its comma is the last byte looked at
    };
    for (const auto& c : cases) EXPECT_EQ(marks(c.text), c.expected) << c.text;
}

TEST(ParseGpsText, FieldsTheScanDoesNotReachKeepTheirValues) {
    GpsFix fix = Parse("no sentence at all", Marked());
    EXPECT_EQ(fix.latitude, 0.0);
    EXPECT_EQ(fix.longitude, 0.0);
    EXPECT_EQ(fix.speed, -1.5f);
    EXPECT_EQ(fix.course, -2.5f);
    EXPECT_EQ(fix.altitude, -3.5f);
    EXPECT_EQ(fix.altitude2, -4.5f);

    fix = Parse("X,1,2,3539.1234,N,13945.6789,E,10.0,90.0", Marked());
    EXPECT_EQ(fix.speed, 5.1444f);
    EXPECT_EQ(fix.course, 90.0f);
    EXPECT_EQ(fix.altitude, -3.5f);
    EXPECT_EQ(fix.altitude2, -4.5f);

    // A field that is reached but empty reads as 0.
    fix = Parse("X,1,2,,N,13945.6789,E,,90,9,12.3,", Marked());
    EXPECT_EQ(fix.latitude, 0.0);
    EXPECT_DOUBLE_EQ(fix.longitude, 139.761315);
    EXPECT_EQ(fix.speed, 0.0f);
    EXPECT_EQ(fix.altitude2, 0.0f);

    // The walk stops at a NUL or a 0xFF byte.
    using namespace std::string_literals;
    for (const std::string& text : {"X,1,2,3539.1234\0,N,13945.6789,E,10"s, "X,1,2,3539.1234\xff,N,13945.6789,E,10"s}) {
        fix = Parse(text, Marked());
        EXPECT_DOUBLE_EQ(fix.latitude, 35.0 + 39.1234 / 60.0);
        EXPECT_EQ(fix.longitude, 0.0);
        EXPECT_EQ(fix.speed, -1.5f);
    }
}

TEST(ParseGpsText, WholeDegreesAreCutTowardZero) {
    EXPECT_DOUBLE_EQ(Parse("X,1,2,-3539.1234,N,-13945.6789").latitude, -(35.0 + 39.1234 / 60.0));
    EXPECT_DOUBLE_EQ(Parse("X,1,2,-3539.1234,N,-13945.6789").longitude, -139.761315);
    EXPECT_DOUBLE_EQ(Parse("X,1,2,59.5").latitude, 59.5 / 60.0);
    EXPECT_DOUBLE_EQ(DegreesFromDegreesMinutes(-59.5), -59.5 / 60.0);
}

TEST(ParseGpsText, ExtremeNumbersStayDefined) {
    GpsFix fix = Parse("X,1,2,1e300,N,-1e400,E,1e300,1e39,9,-1e39,1e-400");
    EXPECT_TRUE(std::isfinite(fix.latitude));
    EXPECT_NEAR(fix.latitude / 1e298, 1.0, 1e-12);
    EXPECT_EQ(fix.longitude, -HUGE_VAL);
    EXPECT_EQ(fix.speed, HUGE_VALF);
    EXPECT_EQ(fix.course, HUGE_VALF);
    EXPECT_EQ(fix.altitude, -HUGE_VALF);
    EXPECT_EQ(fix.altitude2, 0.0f);

    // Beyond the 32-bit range of whole degrees, and at the largest doubles.
    EXPECT_DOUBLE_EQ(DegreesFromDegreesMinutes(1e12 + 30.0), 1e10 + 0.5);
    EXPECT_TRUE(std::isfinite(DegreesFromDegreesMinutes(1.7976931348623157e308)));
    EXPECT_TRUE(std::isfinite(DegreesFromDegreesMinutes(-1.7976931348623157e308)));
    EXPECT_TRUE(std::isnan(DegreesFromDegreesMinutes(NAN)));
}

// Records in a document, written byte for byte where set_gps_text would cut.
class TrackDocument : public ::testing::Test {
protected:
    void SetText(int i, std::string_view text) { doc->record(i).set_gps_text(text); }
    void SetRaw(int i, std::size_t offset, std::string_view bytes) {
        std::memcpy(doc->record(i).at(offset), bytes.data(), bytes.size());
    }
    static std::string Fix(double rawLatitude, double rawLongitude) {
        char text[96];
        std::snprintf(text, sizeof text, "X,1,2,%.6f,N,%.6f,E,1.0,2.0,9,3.0,4.0", rawLatitude, rawLongitude);
        return text;
    }

    std::unique_ptr<CVarneloDoc> doc = std::make_unique<CVarneloDoc>();
    std::unique_ptr<GpsTrack> track = std::make_unique<GpsTrack>();
};

TEST_F(TrackDocument, NumbersRunPastTheScanLimitButNotPastTheRecord) {
    // Field 3 starts at byte 119 of the sentence and runs on into the bytes
    // behind it; a comma beyond byte 127 is not looked at.
    std::string text(114, 'A');
    text += ",1,2,35391234";
    ASSERT_EQ(text.size(), 127u);
    MeasurementRecord& record = doc->record(0);
    SetRaw(0, record_offset::GPS_TEXT, text + "567,N,13945.6789");
    GpsFix fix = Marked();
    ParseGpsText(GpsSentenceBytes(record), fix);
    EXPECT_DOUBLE_EQ(fix.latitude, DegreesFromDegreesMinutes(35391234567.0));
    EXPECT_EQ(fix.longitude, 0.0);

    // Within its own 128 bytes only, the number is cut at the field's end.
    ParseGpsText(record.gps_text(), fix);
    EXPECT_DOUBLE_EQ(fix.latitude, DegreesFromDegreesMinutes(353912345.0));

    // A number that runs to the last byte of the record ends there.
    std::string digits(BLOCK_SIZE - record_offset::GPS_TEXT - 6, '1');
    SetRaw(0, record_offset::GPS_TEXT, "A,1,2," + digits);
    ParseGpsText(GpsSentenceBytes(record), fix);
    EXPECT_TRUE(std::isfinite(fix.latitude));
    EXPECT_GT(fix.latitude, 1e260);
    EXPECT_EQ(GpsSentenceBytes(record).size(), BLOCK_SIZE - record_offset::GPS_TEXT);
}

TEST_F(TrackDocument, OriginIsTheFirstRecordWithAFix) {
    SetText(0, "no fix");
    SetText(1, "X,1,2,,N,,E,5.0");
    SetText(2, Fix(3500.0, 13900.0));
    SetText(3, Fix(3500.06, 13900.06));  // 35.001, 139.001
    ComputeTrack(*doc, 4, *track);

    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(track->x[i], 0.0) << i;
        EXPECT_EQ(track->y[i], 0.0) << i;
    }
    EXPECT_EQ(track->latitude[0], 0.0);
    EXPECT_EQ(track->latitude[2], 35.0);
    EXPECT_EQ(track->longitude[2], 139.0);
    EXPECT_EQ(track->speed[1], static_cast<float>(5.0 * KNOTS_TO_MPS));

    const double dlat = (35.0 + 0.06 / 60.0) - 35.0;
    const double dlon = (139.0 + 0.06 / 60.0) - 139.0;
    EXPECT_DOUBLE_EQ(track->x[3], dlon * 1852.0 * std::cos(dlat * 3.1415926535 / 180.0));
    EXPECT_DOUBLE_EQ(track->y[3], -dlat * 1852.0);
    EXPECT_NEAR(track->x[3], 1.852, 1e-6);
    EXPECT_NEAR(track->y[3], -1.852, 1e-6);
    EXPECT_EQ(track->min_x, 0.0);
    EXPECT_EQ(track->max_x, track->x[3]);
    EXPECT_EQ(track->min_y, track->y[3]);
    EXPECT_EQ(track->max_y, 0.0);
}

// Either coordinate being non-zero makes a fix: the prime meridian and the
// equator are places like any other.
TEST_F(TrackDocument, AFirstFixOnThePrimeMeridianOrTheEquatorIsTheOrigin) {
    const struct {
        double latitude, longitude;  // raw ddmm.mmmm of the first fix
    } origins[] = {{5130.0, 0.0}, {0.0, 3000.0}};
    for (const auto& o : origins) {
        SetText(0, Fix(o.latitude, o.longitude));
        SetText(1, Fix(o.latitude + 0.06, o.longitude + 0.06));  // 0.001 degrees north and east of it
        ComputeTrack(*doc, 2, *track);
        EXPECT_NEAR(track->x[1], 1.852, 1e-6) << o.latitude << " " << o.longitude;
        EXPECT_NEAR(track->y[1], -1.852, 1e-6) << o.latitude << " " << o.longitude;
    }
}

TEST_F(TrackDocument, APointBeyondTheLimitRepeatsThePreviousPoint) {
    SetText(0, Fix(3500.0, 13900.0));
    SetText(1, Fix(3500.06, 13900.06));
    SetText(2, Fix(3536.0, 13900.0));    // 0.6 degrees north: v = 1111.2
    SetText(3, "no fix after the origin");
    SetText(4, Fix(3430.0, 13900.0));    // 0.5 degrees south: inside
    ComputeTrack(*doc, 5, *track);

    EXPECT_EQ(track->x[2], track->x[1]);
    EXPECT_EQ(track->y[2], track->y[1]);
    EXPECT_DOUBLE_EQ(track->latitude[2], 35.6);  // the position itself is kept
    EXPECT_EQ(track->x[3], track->x[1]);
    EXPECT_EQ(track->latitude[3], 0.0);
    EXPECT_NEAR(track->y[4], 0.5 * 1852.0, 1e-9);
    EXPECT_NEAR(track->x[4], 0.0, 1e-9);
    EXPECT_NEAR(track->max_y, 926.0, 1e-9);
    EXPECT_LT(track->min_y, 0.0);
}

TEST(WithinTrackLimit, TheLimitItselfIsInside) {
    const double over = std::nextafter(TRACK_LIMIT, 2 * TRACK_LIMIT);
    for (const auto& [u, v, inside] : {std::tuple{1000.0, 0.0, true}, {-1000.0, 0.0, true}, {0.0, 1000.0, true},
                                       {1000.0, -1000.0, true}, {over, 0.0, false}, {0.0, -over, false}, {NAN, 0.0, false}})
        EXPECT_EQ(WithinTrackLimit(u, v), inside) << u << " " << v;
}

TEST_F(TrackDocument, MissingFieldsKeepTheSlotsEarlierValues) {
    SetText(0, std::string(EXAMPLE));
    ComputeTrack(*doc, 1, *track);
    EXPECT_EQ(track->altitude[0], 12.3f);

    SetText(0, "X,1,2,3539.1234,N,13945.6789,E,20.0");
    ComputeTrack(*doc, 1, *track);
    EXPECT_EQ(track->speed[0], static_cast<float>(20.0 * KNOTS_TO_MPS));
    EXPECT_EQ(track->course[0], 90.0f);
    EXPECT_EQ(track->altitude[0], 12.3f);
    EXPECT_EQ(track->altitude2[0], 45.6f);
}

// A full document's sentences are read in parts at the same time; what
// hangs on earlier records (the origin, a repeated point, a slot's old
// values) must come out as if read one by one.
TEST_F(TrackDocument, AFullDocumentReadsAsIfRecordByRecord) {
    const int n = RECORD_CAPACITY;
    for (int i = 0; i < n; ++i) SetText(i, i < 10000 ? "no fix yet" : Fix(3500.0 + (i - 10000) * 0.0006, 13900.0));
    SetText(12000, "X,1,2,3500.0,N,13900.0,E");  // no motion fields
    SetText(n - 1, Fix(3600.0, 13900.0));         // a degree north: beyond the limit
    track->speed[12000] = 7.0f;
    ComputeTrack(*doc, n, *track);

    EXPECT_EQ(track->x[9999], 0.0);
    EXPECT_EQ(track->latitude[9999], 0.0);
    EXPECT_EQ(track->latitude[10000], 35.0);
    EXPECT_EQ(track->y[10000], 0.0);
    EXPECT_NEAR(track->y[11000], -(1000 * 0.0006 / 60.0) * TRACK_SCALE, 1e-6);
    EXPECT_EQ(track->speed[12000], 7.0f);
    EXPECT_EQ(track->speed[12001], static_cast<float>(1.0 * KNOTS_TO_MPS));
    EXPECT_EQ(track->latitude[12000], 35.0);
    EXPECT_EQ(track->y[12000], 0.0);
    EXPECT_EQ(track->y[n - 1], track->y[n - 2]);
    EXPECT_EQ(track->latitude[n - 1], 36.0);
    EXPECT_EQ(track->min_y, track->y[n - 2]);
}

TEST_F(TrackDocument, EachRunStartsFromScratchAndLeavesLaterSlotsAlone) {
    SetText(0, Fix(3500.0, 13900.0));
    SetText(1, Fix(3506.0, 13906.0));
    ComputeTrack(*doc, 2, *track);
    ASSERT_LT(track->min_y, 0.0);
    const double x1 = track->x[1];

    ComputeTrack(*doc, 1, *track);
    EXPECT_EQ(track->min_y, 0.0);
    EXPECT_EQ(track->max_x, 0.0);
    EXPECT_EQ(track->x[1], x1);

    ComputeTrack(*doc, -5, *track);
    EXPECT_EQ(track->latitude[0], 35.0);
    EXPECT_EQ(track->max_x, 0.0);
}

}  // namespace
}  // namespace varnelo
