#pragma once
// The spectrum chart: a fixed 340..850 nm axis of one pixel per nanometre,
// a counts axis of 0..65535 over the plot height, and a record's three
// derived spectra (the reflectance on its own 0..2 scale).

#include "charts/canvas.h"
#include "data/measurement_record.h"
#include "data/spectra.h"

namespace varnelo {

// The plot's full height stands for 65535 counts, or for a reflectance of 2.
inline constexpr double SPECTRUM_FULL_SCALE = 65535.0;

// The plot rectangle inside the client rectangle.
constexpr Rect SpectrumPlotRect(const Rect& client) {
    return {client.left + 60, client.top + 10, client.right - 10, client.bottom - 25};
}

// Row of the grid line for a count value, truncating toward zero. Computed
// wide, so very tall plots give the true row rather than an overflow.
int SpectrumGridRow(const Rect& plot, int counts);

// Pixel height of a curve point from its scaled value: truncated toward zero;
// anything that is not a finite number or does not fit a signed 32-bit
// integer counts as the most negative one; then held to 0..plotHeight. So
// huge values end on the bottom edge, not the top.
int SpectrumCurveHeight(double scaled, int plotHeight);

// The spectrum element drawn at pixel column x of a chart in client, or -1
// where no curve point stands (outside the plot, or outside the window drawn).
int SpectrumElementAt(const Rect& client, int x, bool limitRange);

// The empty chart: wipe, plot rectangle, grid and labels.
void DrawSpectrumAxes(Canvas& canvas);

// The axes and the curves of ch1_scaled, ch2 and reflectance, in that order.
// With limitRange only the chart window (390..800 nm) is drawn.
void DrawSpectrumChart(Canvas& canvas, const DerivedSpectra& spectra, bool limitRange);
void DrawSpectrumChart(Canvas& canvas, const MeasurementRecord& record, bool limitRange);

}  // namespace varnelo
