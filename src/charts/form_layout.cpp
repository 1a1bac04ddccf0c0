#include "charts/form_layout.h"

#include <algorithm>
#include <cmath>

namespace varnelo {

namespace {

constexpr std::array<DialogUnitRect, FORM_CONTROL_COUNT> NATIVE_UNITS{{
    {14, 10, 89, 8},     // title
    {139, 10, 111, 8},   // identity
    {269, 9, 76, 10},    // 400-800 nm option
    {346, 22, 45, 17},   // read
    {398, 22, 81, 17},   // CSV
    {347, 44, 45, 8},    // counter
    {405, 43, 28, 10},   // 2ch
    {438, 43, 32, 10},   // reflectance
    {346, 58, 133, 150}, // record list
    SPECTRUM_FRAME_UNITS,
    TRACK_FRAME_UNITS,
}};

PixelRect Native(FormControl control) { return DialogUnitsToPixels(FormControlUnits(control)); }

}  // namespace

DialogUnitRect FormControlUnits(FormControl control) { return NATIVE_UNITS[static_cast<std::size_t>(control)]; }

PixelRect DialogUnitsToPixels(const DialogUnitRect& r) {
    return {DialogUnitsToPixelsX(r.x), DialogUnitsToPixelsY(r.y), DialogUnitsToPixelsX(r.width),
            DialogUnitsToPixelsY(r.height)};
}

FormLayout LayOutForm(PixelSize room) {
    const PixelSize native = DialogSizeToPixels(FORM_UNITS.width, FORM_UNITS.height);
    FormLayout layout;
    layout.size = {std::max(room.width, native.width), std::max(room.height, native.height)};
    for (std::size_t i = 0; i < FORM_CONTROL_COUNT; ++i) layout.controls[i] = Native(static_cast<FormControl>(i));
    const int dx = layout.size.width - native.width;
    const int dy = layout.size.height - native.height;

    // The spectrum takes all the height, and the width that keeps it in its
    // own proportions, so that it grows uniformly; what width is left widens
    // the list and the track. A window tall for its width gives it all the width.
    const PixelRect spectrum = Native(FormControl::Spectrum);
    const long long proportional =
        static_cast<long long>(spectrum.width) * (spectrum.height + dy) / spectrum.height - spectrum.width;
    const int spectrumGrows = static_cast<int>(std::min<long long>(dx, proportional));
    const int columnGrows = dx - spectrumGrows;
    // The list and the track share the height in their own proportions.
    const PixelRect list = Native(FormControl::RecordList);
    const PixelRect track = Native(FormControl::Track);
    const int listGrows = static_cast<int>(static_cast<long long>(dy) * list.height / (list.height + track.height));

    const auto at = [&](FormControl control) -> PixelRect& { return layout.controls[static_cast<std::size_t>(control)]; };
    at(FormControl::Spectrum).width += spectrumGrows;
    // The identity label widens into the room the option beside it leaves.
    at(FormControl::Identity).width += spectrumGrows;
    at(FormControl::Spectrum).height += dy;
    // The option above the spectrum stays at its right end; the column of
    // controls at its right moves with it.
    for (FormControl control : {FormControl::LimitBox, FormControl::ReadButton, FormControl::CsvButton, FormControl::Counter,
                          FormControl::TwoChannel, FormControl::Reflectance, FormControl::RecordList, FormControl::Track})
        at(control).x += spectrumGrows;
    at(FormControl::RecordList).width += columnGrows;
    at(FormControl::RecordList).height += listGrows;
    at(FormControl::Track).width += columnGrows;
    at(FormControl::Track).y += listGrows;
    at(FormControl::Track).height += dy - listGrows;
    return layout;
}

ChartScale ScaleChart(PixelSize native, PixelSize shown) {
    if (native.width <= 0 || native.height <= 0 || shown.width <= 0 || shown.height <= 0) {
        return {1.0, {0, 0, std::max(shown.width, 0), std::max(shown.height, 0)}};
    }
    if (shown == native) return {1.0, {0, 0, native.width, native.height}};
    // Compared as products: no rounding decides which way is the shorter.
    const bool byWidth = static_cast<long long>(shown.width) * native.height <=
                         static_cast<long long>(shown.height) * native.width;
    ChartScale scale;
    if (byWidth) {
        scale.factor = static_cast<double>(shown.width) / native.width;
        const long long height = static_cast<long long>(shown.height) * native.width / shown.width;
        scale.client = {0, 0, native.width, static_cast<int>(height)};
    } else {
        scale.factor = static_cast<double>(shown.height) / native.height;
        const long long width = static_cast<long long>(shown.width) * native.height / shown.height;
        scale.client = {0, 0, static_cast<int>(width), native.height};
    }
    return scale;
}

}  // namespace varnelo
