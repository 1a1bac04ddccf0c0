// A GPS field the sentence did not carry is missing in every output, never 0.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "charts/track_chart.h"
#include "export/index_export.h"
#include "export/track_export.h"
#include "support/test_support.h"

namespace varnelo {
namespace {

// The text between `from` and `to` (both left out), or "" when `from` is absent.
std::string Between(const std::string& text, const std::string& from, const std::string& to) {
    const auto begin = text.find(from);
    if (begin == std::string::npos) return {};
    const auto start = begin + from.size();
    return text.substr(start, text.find(to, start) - start);
}

TEST(MissingGpsFields, AreLeftOutOfEveryOutput) {
    const struct {
        const char* sentence;
        const char* table;     // latitude,longitude,altitude,speed of the index table
        const char* point;     // the point layer's coordinates, then its motion properties
        const char* gpx;       // the GPX point
        const char* readout;   // the track chart's motion readout
    } cases[] = {
        {"X,1,A,3539.1234,N,13945.6789,E,10.0,90.0,9,12.3,45.6", "35.6520567,139.7613150,12.3,5.1444",
         "139.7613150,35.6520567,12.3,\"speed\":5.1444,\"course\":90.0,\"altitude\":12.3",
         "lat=\"35.6520567\" lon=\"139.7613150\"><ele>12.3</ele>", "V: 5.1 m/s D: 90.0 deg A: 12.3 / 45.6 m "},
        {"GPS,100324,A,3539.4778,N,13945.3206,E,2.2,111.2,10,,", "35.6579633,139.7553433,,1.131768",
         "139.7553433,35.6579633,\"speed\":1.131768,\"course\":111.2,\"altitude\":null",
         "lat=\"35.6579633\" lon=\"139.7553433\">",
         "V: 1.1 m/s D: 111.2 deg A: \u2014 / \u2014 m "},
        {"GPS,100324,A,3539.4778,N,13945.3206,E", "35.6579633,139.7553433,,",
         "139.7553433,35.6579633,\"speed\":null,\"course\":null,\"altitude\":null",
         "lat=\"35.6579633\" lon=\"139.7553433\">", "V: \u2014 m/s D: \u2014 deg A: \u2014 / \u2014 m "},
        {"GPS,100324,A,,N,13945.3206,E,2.2,111.2,10,12.0,40.0", ",,,", "", "",
         "V: \u2014 m/s D: \u2014 deg A: \u2014 / \u2014 m "},
        {"GPS,100324,V,3539.4778,N,13945.3206,E,2.2,111.2,10,12.0,40.0", ",,,", "", "",
         "V: \u2014 m/s D: \u2014 deg A: \u2014 / \u2014 m "},
        {"GPS,100324,A,0000.0000,S,13945.3206,W,0,0,10,-0.0,0", "0.0000000,-139.7553433,0,0",
         "-139.7553433,0.0000000,0.0,\"speed\":0.0,\"course\":0.0,\"altitude\":0.0",
         "lat=\"0.0000000\" lon=\"-139.7553433\"><ele>0.0</ele>", "V: 0.0 m/s D: 0.0 deg A: -0.0 / 0.0 m "},
    };
    test::TempDir dir;
    for (const auto& c : cases) {
        const auto doc = std::make_unique<CVarneloDoc>();
        doc->record(0).set_time(41, 10, 7, 9, 5, 3);
        doc->record(0).set_temps(25.5f, 26.25f);
        doc->record(0).set_gps_text(c.sentence);
        doc->setRecordCount(1);
        const auto track = std::make_unique<GpsTrack>();
        ComputeTrack(*doc, 1, *track);

        ASSERT_EQ(ExportIndexTable(dir.path() / "t.csv", *doc, {}).status, ExportStatus::Written);
        const auto table = test::ReadFileBytes(dir.path() / "t.csv");
        EXPECT_EQ(Between(std::string(table.begin(), table.end()), "T09:05:03,", ",25.5,26.25"), c.table) << c.sentence;
        const ExportResult points = ExportPointLayer(dir.path() / "p.geojson", *doc, {});
        ASSERT_EQ(points.status, ExportStatus::Written);
        EXPECT_EQ(points.items, *c.gpx == '\0' ? 0 : 1) << c.sentence;
        const auto layer = test::ReadFileBytes(dir.path() / "p.geojson");
        const std::string text(layer.begin(), layer.end());
        EXPECT_EQ(Between(text, "\"coordinates\":[", "]") + Between(text, "T09:05:03\"", ",\"temp_ch1\""), c.point)
            << c.sentence;
        const std::string gpx = GpxText(TrackPoints(*doc, *track));
        EXPECT_EQ(Between(gpx, "<trkpt ", "<time>"), c.gpx) << c.sentence;
        EXPECT_EQ(TrackMotionReadout(TrackChartDataOf(*track, 1), 0), c.readout) << c.sentence;
    }
}

}  // namespace
}  // namespace varnelo
