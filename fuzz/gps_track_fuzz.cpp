// GPS sentences of a fuzzed record set: each record's 128-byte text and the
// reserved bytes behind it (a number may run on into them). Checks what the
// track promises whatever the text: the origin is the first record with a
// non-zero latitude or longitude, every point lies within the track's limit
// of the origin, the extents hold every point, each record's position is
// what its own sentence says, and the chart and the track files take it all.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include "charts/dialog_units.h"
#include "charts/track_chart.h"
#include "export/track_export.h"
#include "fuzz_check.h"
#include "null_canvas.h"
#include "track/gps_track.h"

namespace {

using namespace varnelo;

constexpr int MAX_RECORDS = 32;
constexpr std::size_t SENTENCE_AND_TAIL = BLOCK_SIZE - record_offset::GPS_TEXT;

bool SameValue(double a, double b) { return a == b || (std::isnan(a) && std::isnan(b)); }
bool SameValue(float a, float b) { return a == b || (std::isnan(a) && std::isnan(b)); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const auto doc = std::make_unique<CVarneloDoc>();
    static const auto track = std::make_unique<GpsTrack>();
    FuzzedDataProvider input(data, size);
    const int count = input.ConsumeIntegralInRange(0, MAX_RECORDS);
    for (int i = 0; i < count; ++i) {
        const std::vector<std::uint8_t> bytes = input.ConsumeBytes<std::uint8_t>(SENTENCE_AND_TAIL);
        std::uint8_t* text = doc->record(i).at(record_offset::GPS_TEXT);
        std::memset(text, 0, SENTENCE_AND_TAIL);
        std::copy(bytes.begin(), bytes.end(), text);
    }
    // Slots keep what an earlier run left; give the motion values something to keep.
    const float kept = input.ConsumeFloatingPoint<float>();
    std::fill(track->speed.begin(), track->speed.begin() + MAX_RECORDS, kept);

    std::vector<GpsFix> fixes(static_cast<std::size_t>(count), GpsFix{0, 0, kept, kept, kept, kept});
    for (int i = 0; i < count; ++i) ParseGpsText(GpsSentenceBytes(doc->record(i)), fixes[static_cast<std::size_t>(i)]);
    ComputeTrack(*doc, count, *track);

    int origin = -1;
    for (int i = 0; i < count; ++i) {
        const auto k = static_cast<std::size_t>(i);
        FUZZ_EXPECT(SameValue(track->latitude[k], fixes[k].latitude));
        FUZZ_EXPECT(SameValue(track->longitude[k], fixes[k].longitude));
        FUZZ_EXPECT(SameValue(track->speed[k], fixes[k].speed));
        if (origin < 0) {
            FUZZ_EXPECT(track->x[k] == 0.0 && track->y[k] == 0.0);
            if (fixes[k].latitude != 0.0 || fixes[k].longitude != 0.0) origin = i;
        }
        FUZZ_EXPECT(std::fabs(track->x[k]) <= TRACK_LIMIT && std::fabs(track->y[k]) <= TRACK_LIMIT);
        FUZZ_EXPECT(track->min_x <= track->x[k] && track->x[k] <= track->max_x);
        FUZZ_EXPECT(track->min_y <= track->y[k] && track->y[k] <= track->max_y);
    }
    FUZZ_EXPECT(track->min_x <= 0.0 && track->max_x >= 0.0 && track->min_y <= 0.0 && track->max_y >= 0.0);

    doc->setRecordCount(count);
    for (const TrackPoint& p : TrackPoints(*doc, *track)) {
        FUZZ_EXPECT(std::fabs(p.latitude) <= 90.0 && std::fabs(p.longitude) <= 180.0);
        FUZZ_EXPECT(p.latitude != 0.0 || p.longitude != 0.0);
    }
    GpxText(TrackPoints(*doc, *track));

    const PixelSize frame = TrackFrameSize();
    const int k = count == 0 ? 0 : input.ConsumeIntegralInRange(-1, count);
    fuzz::NullCanvas canvas({0, 0, frame.width, frame.height});
    DrawTrackChart(canvas, TrackChartDataOf(*track, count), k);

    // The parser also takes texts of any length on their own.
    const std::vector<std::uint8_t> rest = input.ConsumeRemainingBytes<std::uint8_t>();
    GpsFix loose;
    ParseGpsText(rest, loose);
    return 0;
}
