// The displayed stretch of the wavelength axis, its scale, and the wavelength <-> pixel arithmetic.
// Wavelengths are in nanometres; x is in pixels of the main drawing grid, where the axis runs from
// x = 0 (left end) to x = 1000 (right end) whatever the window's size.
#pragma once

#include <cstdint>

namespace quorvanta {

enum DisplayScale : std::int32_t { Logarithmic = 0, Linear = 1 };

inline constexpr double kPlotWidth = 1000.0;

// The mapping of one redraw: computed once from centre, width and scale, then applied per line.
struct AxisMapping {
    std::int32_t scale = Logarithmic;
    double leftEnd = 0.0;
    double rightEnd = 0.0;
    double width = 0.0;
    double pixelsPerNm = 0.0;      // linear: 1000 / width
    double pixelsPerDecade = 0.0;  // logarithmic: 1000 / (log10 rightEnd - log10 leftEnd)
    double logLeftEnd = 0.0;

    // rightEnd = centre + width / 2 first, then leftEnd = rightEnd - width.
    static AxisMapping of(std::int32_t scale, double centre, double width);

    // NaN where the wavelength has no position (at or below 0 on the logarithmic scale, or NaN).
    double xOf(double wavelength) const;
    double wavelengthAt(double x) const;
};

struct SpectrumView {
    double viewCentre = 0.0;
    double viewWidth = 0.0;
    double minWidth = 0.0;
    std::int32_t lowerBound = 0;
    std::int32_t upperBound = 0;
    double maxWidth = 0.0;
    std::int32_t scale = Logarithmic;
    std::int32_t autoZoom = 0;
    std::int32_t autoAvail = 0;
    double selectedMin = 0.0;
    double selectedMax = 0.0;

    double rightEnd() const { return viewCentre + viewWidth / 2; }
    double leftEnd() const { return rightEnd() - viewWidth; }
    AxisMapping mapping() const { return AxisMapping::of(scale, viewCentre, viewWidth); }
    double xOf(double wavelength) const { return mapping().xOf(wavelength); }
    double wavelengthAt(double x) const { return mapping().wavelengthAt(x); }

    // Puts wavelength at x = 500 with the given width.
    void centreOn(double wavelength, double width);
    // Shows a..b (a <= b) widened by half; the caller then clamps.
    void fitRange(double a, double b);
    // Restores minWidth <= viewWidth <= maxWidth and lowerBound <= ends <= upperBound. A NaN width
    // becomes maxWidth and a NaN centre the centre of the whole displayable range, so that no
    // input leaves a NaN or infinite field behind.
    void clampView();

    // The view every run starts with: 350..800 nm on the logarithmic scale, displayable 10..20000.
    static SpectrumView startValues();
};

}  // namespace quorvanta
