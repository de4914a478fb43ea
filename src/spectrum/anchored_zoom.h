// Zooming about a column of the plot rather than its middle: the wheel's zoom.
#pragma once

#include "spectrum/spectrum_view.h"

namespace quorvanta {

// Sets the view's width to width, first brought within minWidth..maxWidth, and moves its centre so
// that the wavelength shown at column x (0..1000) stays there, on either scale. The ends may then
// lie outside the displayable range: the caller clamps, which may move the wavelength off x.
void zoomAboutColumn(SpectrumView& view, double x, double width);

}  // namespace quorvanta
