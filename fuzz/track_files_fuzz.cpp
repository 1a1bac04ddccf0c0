// The GPX and GeoJSON track files of fuzzed records: GPS texts and clocks
// of any bytes, through the track as a document computes it. Each file
// must keep its shape (tags that nest and finite numbers in GPX, JSON that
// parses) and hold one position per record with a fix.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "export/track_export.h"
#include "file_shape_check.h"
#include "fuzz_check.h"
#include "track/gps_track.h"

namespace {

using namespace varnelo;

constexpr int MAX_RECORDS = 24;
constexpr std::size_t CLOCK_SIZE = record_offset::SECOND + 2 - record_offset::YEAR;

std::size_t Count(std::string_view text, std::string_view part) {
    std::size_t n = 0;
    for (std::size_t at = text.find(part); at != std::string_view::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const auto doc = std::make_unique<CVarneloDoc>();
    static const auto track = std::make_unique<GpsTrack>();
    FuzzedDataProvider input(data, size);
    const int count = input.ConsumeIntegralInRange(0, MAX_RECORDS);
    for (int i = 0; i < count; ++i) {
        std::uint8_t* const bytes = doc->record(i).at(0);
        std::memset(bytes, 0, BLOCK_SIZE);
        const std::vector<std::uint8_t> gps = input.ConsumeBytes<std::uint8_t>(BLOCK_SIZE - record_offset::GPS_TEXT);
        std::copy(gps.begin(), gps.end(), bytes + record_offset::GPS_TEXT);
        // The clock, just before the text.
        const std::vector<std::uint8_t> clock = input.ConsumeBytes<std::uint8_t>(CLOCK_SIZE);
        std::copy(clock.begin(), clock.end(), bytes + record_offset::YEAR);
    }
    doc->setRecordCount(count);
    ComputeTrack(*doc, count, *track);
    const std::vector<TrackPoint> points = TrackPoints(*doc, *track);

    const std::string gpx = GpxText(points);
    fuzz::CheckGpx(gpx);
    FUZZ_EXPECT(Count(gpx, "<trkpt ") == points.size());

    const std::string json = GeoJsonText(points);
    fuzz::CheckJson(json);
    FUZZ_EXPECT(Count(json, "\"Feature\"") == (points.empty() ? 0u : 1u));
    return 0;
}
