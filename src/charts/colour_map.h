#pragma once
// viridis, the perceptually uniform colour map (dark blue-violet through
// teal and green to yellow), through its eleven published stops at 0, 0.1,
// ..., 1 with straight interpolation in between: close enough to the full
// table that neighbouring values stay distinguishable and light grows
// steadily with the value, which is all a track's colouring asks of it.

#include "charts/canvas.h"

namespace varnelo {

// t in 0..1 (held there; a NaN counts as 0).
Rgb ViridisColour(double t);

}  // namespace varnelo
