#include "spectrum/spectrum_view.h"

#include <cmath>
#include <limits>

namespace quorvanta {

namespace {

constexpr double kStartCentre = 575.0;  // with kStartWidth: 350..800 nm, the visible spectrum
constexpr double kStartWidth = 450.0;
constexpr double kMinWidth = 10.0;
constexpr std::int32_t kLowerBound = 10;
constexpr std::int32_t kUpperBound = 20000;
// fitRange widens the fitted interval by half, a quarter of its width on either side.
constexpr double kFitMargin = 1.5;

constexpr double kNoPosition = std::numeric_limits<double>::quiet_NaN();

}  // namespace

AxisMapping AxisMapping::of(std::int32_t scale, double centre, double width) {
    AxisMapping m;
    m.scale = scale;
    m.width = width;
    m.rightEnd = centre + width / 2;
    m.leftEnd = m.rightEnd - width;
    if (scale == Linear) {
        m.pixelsPerNm = kPlotWidth / width;
    } else {
        m.logLeftEnd = std::log10(m.leftEnd);
        m.pixelsPerDecade = kPlotWidth / (std::log10(m.rightEnd) - m.logLeftEnd);
    }
    return m;
}

double AxisMapping::xOf(double wavelength) const {
    if (scale == Linear) return (wavelength - leftEnd) * pixelsPerNm;
    // Written as a negated test so that NaN has no position either.
    if (!(wavelength > 0)) return kNoPosition;
    return (std::log10(wavelength) - logLeftEnd) * pixelsPerDecade;
}

double AxisMapping::wavelengthAt(double x) const {
    if (scale == Linear) return leftEnd + x / pixelsPerNm;
    return leftEnd * std::pow(rightEnd / leftEnd, x / kPlotWidth);
}

void SpectrumView::centreOn(double wavelength, double width) {
    viewWidth = width;
    if (scale == Linear) {
        viewCentre = wavelength;
    } else {
        // The ends then multiply to wavelength², so their geometric mean, shown at x = 500, is the
        // wavelength itself.
        const double halfWidth = width / 2;
        viewCentre = std::sqrt(wavelength * wavelength + halfWidth * halfWidth);
    }
}

void SpectrumView::fitRange(double a, double b) {
    if (scale == Linear) {
        viewCentre = a + (b - a) / 2;
        viewWidth = (b - a) * kFitMargin;
        return;
    }
    const double centre = a + (b - a) / 2;
    const double width = b - a;
    // The geometric centre of a..b, √(a·b); the widened view keeps it as the mean of its ends.
    const double geometricCentre = std::sqrt(centre * centre - (width / 2) * (width / 2));
    viewWidth = width * kFitMargin;
    const double halfWidth = viewWidth / 2;
    viewCentre = std::sqrt(geometricCentre * geometricCentre + halfWidth * halfWidth);
}

void SpectrumView::clampView() {
    // NaN passes every comparison below untouched, so it is replaced first: an unknown width by the
    // widest view and an unknown centre by the centre of the whole range. Infinities need nothing
    // of their own; the five steps turn them into finite values.
    const double wholeRangeCentre = lowerBound + maxWidth / 2;
    if (std::isnan(viewWidth)) viewWidth = maxWidth;
    if (std::isnan(viewCentre)) viewCentre = wholeRangeCentre;

    if (viewWidth < minWidth) viewWidth = minWidth;
    if (viewCentre + viewWidth / 2 > upperBound) viewCentre = upperBound - viewWidth / 2;
    // Repeats the first test and cannot fire, since nothing above lowers the width; kept so the
    // five steps stay in their established order.
    if (viewWidth < minWidth) viewWidth = minWidth;
    if (viewCentre - viewWidth / 2 < lowerBound) viewCentre = lowerBound + viewWidth / 2;
    // A range too wide for the bounds has been pushed left and then right; it becomes the whole
    // displayable range.
    if (viewWidth > maxWidth) {
        viewWidth = maxWidth;
        viewCentre = wholeRangeCentre;
    }
}

SpectrumView SpectrumView::startValues() {
    SpectrumView view;
    view.viewCentre = kStartCentre;
    view.viewWidth = kStartWidth;
    view.minWidth = kMinWidth;
    view.lowerBound = kLowerBound;
    view.upperBound = kUpperBound;
    view.maxWidth = kUpperBound - kLowerBound;
    view.scale = Logarithmic;
    view.autoZoom = 0;
    view.autoAvail = 0;
    // Seeds that no line can beat: every redraw lowers selectedMin and raises selectedMax.
    view.selectedMin = kUpperBound;
    view.selectedMax = kLowerBound;
    return view;
}

}  // namespace quorvanta
