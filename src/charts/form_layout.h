#pragma once
// Where the main form's controls stand when the window gives it more room
// than its own size. The form never shrinks: a smaller window scrolls it.
// Beyond its size the spectrum chart, the record list and the track chart
// take the extra room, and the identity label the width its neighbour
// leaves; every other control keeps its size and its place beside its
// neighbours. At exactly the form's size every control stands
// where its dialog units put it.

#include <array>
#include <cstddef>

#include "charts/canvas.h"
#include "charts/dialog_units.h"

namespace varnelo {

enum class FormControl : std::size_t {
    Title,
    Identity,
    LimitBox,
    ReadButton,
    CsvButton,
    Counter,
    TwoChannel,
    Reflectance,
    RecordList,
    Spectrum,
    Track,
};
inline constexpr std::size_t FORM_CONTROL_COUNT = static_cast<std::size_t>(FormControl::Track) + 1;

inline constexpr DialogUnitRect FORM_UNITS{0, 0, 486, 327};

// The control's place at the form's own size, in dialog units.
DialogUnitRect FormControlUnits(FormControl control);

struct PixelRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    friend constexpr bool operator==(const PixelRect&, const PixelRect&) = default;
};

PixelRect DialogUnitsToPixels(const DialogUnitRect& r);

struct FormLayout {
    PixelSize size;  // the form's, never below its own size
    std::array<PixelRect, FORM_CONTROL_COUNT> controls;
    const PixelRect& operator[](FormControl control) const { return controls[static_cast<std::size_t>(control)]; }
};

// The form laid out in room pixels (what of the window it may fill).
FormLayout LayOutForm(PixelSize room);

// How a chart drawn for its native size fills a frame of another size:
// scaled by one factor in both directions (text and pens included) so that
// it fills the frame's shorter way, and laid out in the longer way over a
// client rectangle of the frame's size divided by that factor. At the
// native size: a factor of 1 and the native client rectangle.
struct ChartScale {
    double factor = 1.0;
    Rect client;
};
ChartScale ScaleChart(PixelSize native, PixelSize shown);

}  // namespace varnelo
