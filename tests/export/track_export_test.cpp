#include "export/track_export.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "support/test_support.h"

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

}  // namespace
}  // namespace varnelo
