#include "spectrum/anchored_zoom.h"

#include <algorithm>
#include <cmath>

namespace quorvanta {

namespace {

// Halving the bracket this often pins a double down to its last bit.
constexpr int kBisections = 200;

// The left end L of a logarithmic view of width w that shows wavelength at the fraction t of the
// plot: L * ((L + w) / L)^t = wavelength. The left side grows with L, so the root is bracketed by
// wavelength - w (or 0) below and wavelength above.
double logarithmicLeftEnd(double wavelength, double width, double t) {
    auto shownAt = [&](double left) {
        return (1 - t) * std::log(left) + t * std::log(left + width) - std::log(wavelength);
    };
    double low = std::max(wavelength - width, 0.0);
    double high = wavelength;
    for (int i = 0; i < kBisections; ++i) {
        const double middle = low + (high - low) / 2;
        if (middle <= low || middle >= high) break;
        (shownAt(middle) < 0 ? low : high) = middle;
    }
    return high;
}

}  // namespace

void zoomAboutColumn(SpectrumView& view, double x, double width) {
    const double t = std::clamp(x / kPlotWidth, 0.0, 1.0);
    const double wavelength = view.wavelengthAt(t * kPlotWidth);
    const double w = std::clamp(width, view.minWidth, view.maxWidth);
    double left = wavelength - t * w;
    if (view.scale == Logarithmic && wavelength > 0 && t > 0 && t < 1)
        left = logarithmicLeftEnd(wavelength, w, t);
    view.viewWidth = w;
    view.viewCentre = left + w / 2;
}

}  // namespace quorvanta
