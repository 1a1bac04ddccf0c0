#include "export/track_export.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "support/test_support.h"
#include "export/index_export.h"
#include "charts/track_chart.h"

namespace varnelo {
namespace {

class TrackExport : public ::testing::Test {
protected:
    void Add(std::string_view gps, int month = 10, int day = 7) {
        MeasurementRecord& record = doc->record(count);
        record.set_time(41, month, day, 9, 5, count);
        record.set_gps_text(gps);
        doc->setRecordCount(++count);
    }
    std::vector<TrackPoint> Points() {
        ComputeTrack(*doc, doc->recordCount(), *track);
        return TrackPoints(*doc, *track);
    }

    std::unique_ptr<CVarneloDoc> doc = std::make_unique<CVarneloDoc>();
    std::unique_ptr<GpsTrack> track = std::make_unique<GpsTrack>();
    int count = 0;
};

TEST_F(TrackExport, RecordsWithoutAValidFixAreLeftOut) {
    Add("no fix");
    Add("X,1,2,3539.1234,N,13945.6789,E,10.0,90.0,9,12.3,45.6");
    Add("X,1,2,9130.0,N,13945.6789");   // latitude 91.5: not a position
    Add("X,1,2,1e400,N,13945.6789");    // infinite
    Add("X,1,2,3539.5,N,13945.0,E,1,1,9,-0.5", 2, 30);
    const std::vector<TrackPoint> points = Points();
    ASSERT_EQ(points.size(), 2u);
    EXPECT_EQ(points[0].record, 1);
    EXPECT_EQ(points[0].time, "2021-10-07T09:05:01");
    EXPECT_EQ(points[1].record, 4);
    EXPECT_EQ(points[1].time, "");  // 30 February
}

TEST_F(TrackExport, HemispheresSignThePositionsAndVoidFixesAreLeftOut) {
    Add("X,1,A,3352.0,S,15112.0,E,1,1,9,5.0");   // Sydney
    Add("X,1,A,4043.0,N,07400.0,W,1,1,9,5.0");   // New York
    Add("X,1,A,2254.0,S,04312.0,W,1,1,9,5.0");   // Rio de Janeiro
    Add("X,1,V,3539.1234,N,13945.6789,E,1,1,9,5.0");  // a stale position on a void fix
    const std::vector<TrackPoint> points = Points();
    ASSERT_EQ(points.size(), 3u);
    const double expected[][2] = {{-33.8666667, 151.2}, {40.7166667, -74.0}, {-22.9, -43.2}};
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_NEAR(points[i].latitude, expected[i][0], 1e-6) << i;
        EXPECT_NEAR(points[i].longitude, expected[i][1], 1e-6) << i;
    }
    // The track itself, and so the charts and the CSV file, keep the unsigned values.
    EXPECT_GT(track->latitude[0], 0.0);
    EXPECT_GT(track->longitude[2], 0.0);
    EXPECT_NE(GpxText(points).find("<trkpt lat=\"-33.8666667\" lon=\"151.2000000\">"), std::string::npos);
    EXPECT_NE(GeoJsonText(points).find("[-43.2000000,-22.9000000,5.0]"), std::string::npos);
}

// Every fourth year is a leap year, except every hundredth, except every
// four hundredth.
TEST_F(TrackExport, TimesFollowTheGregorianLeapYears) {
    const struct {
        int year;  // as stored, minus 1980
        int day;   // of February
        const char* time;
    } cases[] = {
        {20, 29, "2000-02-29T09:05:00"}, {44, 29, "2024-02-29T09:05:01"}, {120, 29, ""},
        {-80, 29, ""},                   {43, 29, ""},                    {120, 28, "2100-02-28T09:05:05"},
    };
    for (const auto& c : cases) {
        doc->record(count).set_time(c.year, 2, c.day, 9, 5, count);
        doc->record(count).set_gps_text("X,1,2,3539.1234,N,13945.6789");
        doc->setRecordCount(++count);
    }
    const std::vector<TrackPoint> points = Points();
    ASSERT_EQ(points.size(), std::size(cases));
    for (std::size_t i = 0; i < points.size(); ++i) EXPECT_EQ(points[i].time, cases[i].time) << cases[i].year + 1980;
}

TEST_F(TrackExport, GpxText) {
    Add("X,1,2,3539.1234,N,13945.6789,E,10.0,90.0,9,12.3,45.6");
    Add("X,1,2,-3539.5,N,13945.0,E,1,1,9,-0.5", 0, 0);
    EXPECT_EQ(GpxText(Points()),
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
              "<gpx version=\"1.1\" creator=\"Varnelo\" xmlns=\"http://www.topografix.com/GPX/1/1\">\n"
              "  <trk>\n"
              "    <trkseg>\n"
              "      <trkpt lat=\"35.6520567\" lon=\"139.7613150\"><ele>12.3</ele><time>2021-10-07T09:05:00</time></trkpt>\n"
              "      <trkpt lat=\"-35.6583333\" lon=\"139.7500000\"><ele>-0.5</ele></trkpt>\n"
              "    </trkseg>\n"
              "  </trk>\n"
              "</gpx>\n");
}

TEST_F(TrackExport, GeoJsonText) {
    EXPECT_EQ(GeoJsonText(Points()), "{\"type\":\"FeatureCollection\",\"features\":[]}\n");
    Add("X,1,2,3539.1234,N,13945.6789,E,10.0,90.0,9,12.3,45.6");
    EXPECT_EQ(GeoJsonText(Points()),
              "{\"type\":\"FeatureCollection\",\"features\":[\n"
              "{\"type\":\"Feature\",\"geometry\":{\"type\":\"Point\",\"coordinates\":[139.7613150,35.6520567,12.3]},\n"
              "\"properties\":{\"records\":[0],\"coordinateProperties\":{\"times\":[\"2021-10-07T09:05:00\"]}}}\n"
              "]}\n");
    Add("X,1,2,3539.5,N,13945.0,E,1,1,9,-0.5", 13, 1);
    EXPECT_EQ(GeoJsonText(Points()),
              "{\"type\":\"FeatureCollection\",\"features\":[\n"
              "{\"type\":\"Feature\",\"geometry\":{\"type\":\"LineString\",\"coordinates\":[\n"
              "[139.7613150,35.6520567,12.3],\n"
              "[139.7500000,35.6583333,-0.5]]},\n"
              "\"properties\":{\"records\":[0,1],\"coordinateProperties\":{\"times\":[\"2021-10-07T09:05:00\",null]}}}\n"
              "]}\n");
}

TEST_F(TrackExport, FormatFollowsTheExtension) {
    EXPECT_EQ(TrackFormatForPath("a/track.GPX"), TrackFormat::Gpx);
    EXPECT_EQ(TrackFormatForPath("track.geojson"), TrackFormat::GeoJson);
    EXPECT_EQ(TrackFormatForPath("track.json"), TrackFormat::GeoJson);
    EXPECT_EQ(TrackFormatForPath("track.csv"), std::nullopt);
    EXPECT_EQ(TrackFormatForPath("gpx"), std::nullopt);
}

std::string Between(const std::string& text, const std::string& from, const std::string& to) {
    const auto begin = text.find(from);
    return begin == std::string::npos ? "" : text.substr(begin + from.size(), text.find(to, begin) - begin - from.size());
}

// A GPS field the sentence did not carry is missing in every output, never 0.
TEST(MissingGpsFields, AreLeftOutOfEveryOutput) {
    const std::string dash = "\u2014", none = "V: " + dash + " m/s D: " + dash + " deg A: " + dash + " / " + dash + " m ";
    const struct {
        std::string sentence, table, point, gpx, readout;  // index table; point layer; GPX point; motion readout
    } cases[] = {
        {"X,1,A,3539.1234,N,13945.6789,E,10.0,90.0,9,12.3,45.6", "35.6520567,139.7613150,12.3,5.1444",
         "139.7613150,35.6520567,12.3,\"speed\":5.1444,\"course\":90.0,\"altitude\":12.3",
         "lat=\"35.6520567\" lon=\"139.7613150\"><ele>12.3</ele>", "V: 5.1 m/s D: 90.0 deg A: 12.3 / 45.6 m "},
        {"GPS,100324,A,3539.4778,N,13945.3206,E,2.2,111.2,10,,", "35.6579633,139.7553433,,1.131768",
         "139.7553433,35.6579633,\"speed\":1.131768,\"course\":111.2,\"altitude\":null",
         "lat=\"35.6579633\" lon=\"139.7553433\">", "V: 1.1 m/s D: 111.2 deg A: " + dash + " / " + dash + " m "},
        {"GPS,100324,A,3539.4778,N,13945.3206,E", "35.6579633,139.7553433,,",
         "139.7553433,35.6579633,\"speed\":null,\"course\":null,\"altitude\":null", "lat=\"35.6579633\" lon=\"139.7553433\">", none},
        {"GPS,100324,A,,N,13945.3206,E,2.2,111.2,10,12.0,40.0", ",,,", "", "", none},
        {"GPS,100324,A,0000.0000,S,13945.3206,W,0,0,10,-0.0,0", "0.0000000,-139.7553433,0,0",
         "-139.7553433,0.0000000,0.0,\"speed\":0.0,\"course\":0.0,\"altitude\":0.0",
         "lat=\"0.0000000\" lon=\"-139.7553433\"><ele>0.0</ele>", "V: 0.0 m/s D: 0.0 deg A: -0.0 / 0.0 m "},
    };
    test::TempDir dir;
    const auto doc = std::make_unique<CVarneloDoc>();
    const auto track = std::make_unique<GpsTrack>();
    doc->record(0).set_time(41, 10, 7, 9, 5, 3);
    doc->record(0).set_temps(25.5f, 26.25f);
    doc->setRecordCount(1);
    for (const auto& c : cases) {
        doc->record(0).set_gps_text(c.sentence);
        ComputeTrack(*doc, 1, *track);
        ASSERT_TRUE(ExportIndexTable(dir.path() / "t.csv", *doc, {}).status);
        const auto table = test::ReadFileBytes(dir.path() / "t.csv");
        EXPECT_EQ(Between(std::string(table.begin(), table.end()), "T09:05:03,", ",25.5,26.25"), c.table) << c.sentence;
        const ExportResult points = ExportPointLayer(dir.path() / "p.geojson", *doc, {});
        EXPECT_EQ(points.items, c.gpx.empty() ? 0 : 1) << c.sentence;
        const auto bytes = test::ReadFileBytes(dir.path() / "p.geojson");
        const std::string layer(bytes.begin(), bytes.end());
        EXPECT_EQ(Between(layer, "\"coordinates\":[", "]") + Between(layer, "T09:05:03\"", ",\"temp_ch1\""), c.point);
        EXPECT_EQ(Between(GpxText(TrackPoints(*doc, *track)), "<trkpt ", "<time>"), c.gpx) << c.sentence;
        EXPECT_EQ(TrackMotionReadout(TrackChartDataOf(*track, 1), 0), c.readout) << c.sentence;
    }
}

}  // namespace
}  // namespace varnelo
