#include "charts/spectrum_chart.h"

#include <cmath>
#include <cstdint>
#include <limits>

#include "text/number_text.h"
#include "charts/palette.h"

namespace varnelo {

namespace {

constexpr int FIRST_WAVELENGTH_LINE = 350;
constexpr int LAST_WAVELENGTH_LINE = 850;
constexpr int WAVELENGTH_STEP = 50;
constexpr int FIRST_COUNTS_LINE = 5000;
constexpr int COUNTS_STEP = 5000;
constexpr int COUNTS_LIMIT = 65535;  // no line at the top edge itself

// Frame, plot rectangle, grid and labels, leaving the canvas's pen as found.
void DrawAxes(Canvas& canvas, const Rect& client, const Rect& plot) {
    canvas.rectangle(client);
    canvas.rectangle(plot);
    const Pen previous = canvas.selectPen(SPECTRUM_GRID_PEN);
    for (int v = FIRST_WAVELENGTH_LINE; v <= LAST_WAVELENGTH_LINE; v += WAVELENGTH_STEP) {
        const int x = plot.left + (v - WAVELENGTH_BASE_NM);
        canvas.moveTo({x, plot.top});
        canvas.lineTo({x, plot.bottom});
        canvas.textOut({x - 10, plot.bottom + 2}, IntText(v, 3));
    }
    for (int v = FIRST_COUNTS_LINE; v < COUNTS_LIMIT; v += COUNTS_STEP) {
        const int y = SpectrumGridRow(plot, v);
        canvas.moveTo({plot.left, y});
        canvas.lineTo({plot.right, y});
        canvas.textOut({plot.left - 50, y - 10}, IntText(v, 5));
    }
    canvas.selectPen(previous);
}

enum class CurveScale { Counts, Reflectance };

void DrawCurve(Canvas& canvas, const Rect& plot, const Spectrum& values, CurveScale scale, const Pen& pen,
               WavelengthWindow window) {
    const int h = plot.bottom - plot.top;
    const Pen previous = canvas.selectPen(pen);
    for (int i = window.first; i <= window.last; ++i) {
        const double v = static_cast<double>(values[static_cast<std::size_t>(i)]);
        const double scaled = scale == CurveScale::Counts ? v * h / SPECTRUM_FULL_SCALE : v * h * 0.5;
        const Point p{plot.left + i, plot.bottom - SpectrumCurveHeight(scaled, h)};
        if (i == window.first) {
            canvas.moveTo(p);
        } else {
            canvas.lineTo(p);
        }
    }
    canvas.selectPen(previous);
}

}  // namespace

int SpectrumGridRow(const Rect& plot, int counts) {
    const std::int64_t h = static_cast<std::int64_t>(plot.bottom) - plot.top;
    return static_cast<int>(plot.bottom - (counts * h) / COUNTS_LIMIT);
}

int SpectrumCurveHeight(double scaled, int plotHeight) {
    int height = std::numeric_limits<std::int32_t>::min();
    if (std::isfinite(scaled)) {
        // Range checked on the truncated double before converting: converting
        // an out-of-range double to an integer is undefined.
        const double t = std::trunc(scaled);
        if (t >= -2147483648.0 && t <= 2147483647.0) height = static_cast<int>(t);
    }
    if (height > plotHeight) height = plotHeight;
    if (height < 0) height = 0;
    return height;
}

int SpectrumElementAt(const Rect& client, int x, bool limitRange) {
    const int j = x - SpectrumPlotRect(client).left;
    return ChartWindow(limitRange).contains(j) ? j : -1;
}

void DrawSpectrumAxes(Canvas& canvas) {
    const Rect client = canvas.clientRect();
    DrawAxes(canvas, client, SpectrumPlotRect(client));
}

void DrawSpectrumChart(Canvas& canvas, const DerivedSpectra& spectra, bool limitRange) {
    const Rect client = canvas.clientRect();
    const Rect plot = SpectrumPlotRect(client);
    DrawAxes(canvas, client, plot);
    const WavelengthWindow window = ChartWindow(limitRange);
    DrawCurve(canvas, plot, spectra.ch1_scaled, CurveScale::Counts, CH1_CURVE_PEN, window);
    DrawCurve(canvas, plot, spectra.ch2, CurveScale::Counts, CH2_CURVE_PEN, window);
    DrawCurve(canvas, plot, spectra.reflectance, CurveScale::Reflectance, REFLECTANCE_CURVE_PEN, window);
}

void DrawSpectrumChart(Canvas& canvas, const MeasurementRecord& record, bool limitRange) {
    DrawSpectrumChart(canvas, DeriveSpectra(record), limitRange);
}

}  // namespace varnelo
