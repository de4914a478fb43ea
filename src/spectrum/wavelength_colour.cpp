#include "spectrum/wavelength_colour.h"

#include <cmath>

namespace quorvanta {

namespace {

constexpr double kFullIntensity = 65535.0;  // the toolkit's 16-bit intensity scale

// Constant tones outside the spectral range: a dim violet-grey below 350 nm, a dim red-grey above
// 800 nm.
constexpr double kUltravioletRed = 0.23, kUltravioletGreen = 0.16, kUltravioletBlue = 0.23;
constexpr double kInfraredRed = 0.23, kInfraredGreen = 0.16, kInfraredBlue = 0.16;

// Wavelengths the band shows over its whole width when the logarithmic view lies wholly in the
// infrared or wholly in the ultraviolet.
constexpr double kInfraredSample = 1000.0;
constexpr double kUltravioletSample = 300.0;
constexpr double kSpectrumStart = 350.0;
constexpr double kSpectrumEnd = 800.0;

constexpr std::int32_t kFirstSampleX = 1;  // each block is sampled one column right of its edge
constexpr std::int32_t kLastSampleX = 1000;

std::int32_t toIntensity(double fraction) {
    return static_cast<std::int32_t>(std::lround(fraction * kFullIntensity));
}

// Block width in pixels: the wider the view, the narrower the blocks. The linear scale paints
// single columns up to 200 nm.
std::int32_t bandBlockWidth(std::int32_t scale, double width) {
    if (width <= 200) return scale == Linear ? 1 : 5;
    if (width <= 400) return 4;
    if (width <= 750) return 3;
    return 2;
}

}  // namespace

Intensities wavelengthIntensities(double wavelength) {
    const double l = wavelength;
    double red = 0, green = 0, blue = 0;
    // Each formula is the difference from the range's end, times the change of intensity, divided
    // by the range's length in nm, in that order, so that every colour stays reproducible to the
    // last bit. The first test is negated so that NaN takes the ultraviolet tone.
    if (!(l >= 350)) {
        red = kUltravioletRed;
        green = kUltravioletGreen;
        blue = kUltravioletBlue;
    } else if (l < 381) {
        red = (l - 350) * 0.14 / 31;
        blue = red;
    } else if (l < 412) {
        red = 0.17 - (412 - l) * 0.03 / 31;
        blue = 0.2 - (412 - l) * 0.06 / 31;
    } else if (l < 444) {
        red = (444 - l) * 0.17 / 32;
        blue = 0.5 - (444 - l) * 0.3 / 32;
    } else if (l < 485) {
        green = 0.65 - (485 - l) * 0.65 / 41;
        blue = 0.6 - (485 - l) * 0.1 / 41;
    } else if (l < 526) {
        green = 0.8 - (526 - l) * 0.15 / 41;
        blue = (526 - l) * 0.6 / 41;
    } else if (l < 555) {
        red = 0.45 - (555 - l) * 0.45 / 29;
        green = 0.8;
    } else if (l < 586) {
        red = 0.8 - (586 - l) * 0.35 / 31;
        green = 0.8;
    } else if (l < 645) {
        red = 0.75 + (645 - l) * 0.05 / 59;
        green = (645 - l) * 0.8 / 59;
    } else if (l < 723) {
        red = 0.35 + (723 - l) * 0.4 / 78;
    } else if (l <= 800) {
        red = (800 - l) * 0.35 / 77;
    } else {
        red = kInfraredRed;
        green = kInfraredGreen;
        blue = kInfraredBlue;
    }
    return {toIntensity(red), toIntensity(green), toIntensity(blue)};
}

ColourBandPlan colourBandPlan(const SpectrumView& view) {
    const AxisMapping mapping = view.mapping();
    ColourBandPlan plan;
    if (mapping.scale != Linear) {
        if (mapping.leftEnd > kSpectrumEnd) {
            // The blocks that follow paint the same tone again.
            plan.wholeBandFirst = true;
            plan.wholeBandWavelength = kInfraredSample;
        } else if (mapping.rightEnd < kSpectrumStart) {
            plan.wholeBandFirst = true;
            plan.wholeBandWavelength = kUltravioletSample;
            return plan;
        }
    }
    const std::int32_t b = bandBlockWidth(mapping.scale, view.viewWidth);
    plan.blockWidth = b;
    plan.blocks.reserve(static_cast<std::size_t>((kLastSampleX - kFirstSampleX) / b + 1));
    for (std::int32_t x = kFirstSampleX; x <= kLastSampleX; x += b) {
        plan.blocks.push_back({x - 1, x + b - 2, mapping.wavelengthAt(x)});
    }
    return plan;
}

}  // namespace quorvanta
