// Colours of wavelengths and the blocks of the colour band.
#pragma once

#include <cstdint>
#include <vector>

#include "spectrum/spectrum_view.h"

namespace quorvanta {

// 16-bit intensities (0..65535) of one colour.
struct Intensities {
    std::int32_t red = 0;
    std::int32_t green = 0;
    std::int32_t blue = 0;
    friend bool operator==(const Intensities&, const Intensities&) = default;
};

// The piecewise-linear colour table: spectral colours from 350 to 800 nm, a dim ultraviolet
// tone below and a dim infrared tone above. NaN gives the ultraviolet tone (no comparison holds).
Intensities wavelengthIntensities(double wavelength);

// One block of the colour band: columns x1..x2 (inclusive) of rows 525..575, in the colour of
// the given wavelength.
struct BandBlock {
    std::int32_t x1 = 0;
    std::int32_t x2 = 0;
    double wavelength = 0.0;
};

struct ColourBandPlan {
    bool wholeBandFirst = false;     // fill (0..999) with wholeBandWavelength before the blocks
    double wholeBandWavelength = 0;  // 1000 (infrared) or 300 (ultraviolet)
    std::int32_t blockWidth = 0;     // 1..5; 0 when no blocks follow
    std::vector<BandBlock> blocks;
};

// What drawColourBand paints for a view: the block width from the view width and scale, blocks
// sampled one column right of their left edge, and the two logarithmic shortcuts.
ColourBandPlan colourBandPlan(const SpectrumView& view);

}  // namespace quorvanta
