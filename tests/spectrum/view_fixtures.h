// Views for the spectrum tests: the start view with a chosen scale, centre and width.
#pragma once

#include "spectrum/spectrum_view.h"

namespace quorvanta::test {

inline SpectrumView viewOf(std::int32_t scale, double centre, double width) {
    SpectrumView view = SpectrumView::startValues();
    view.scale = scale;
    view.viewCentre = centre;
    view.viewWidth = width;
    return view;
}

inline const char* scaleName(std::int32_t scale) {
    return scale == Linear ? "linear" : "logarithmic";
}

}  // namespace quorvanta::test
