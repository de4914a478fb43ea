// The spectrum picture on the main window's grid: header band with legend and title, plot area,
// colour band, axis ticks, the emission lines of the selected media and the scale caption. Every
// call repaints everything from the scene it is handed; nothing is kept between calls.
#pragma once

#include <cstdint>
#include <string_view>

#include "database/transition_database.h"
#include "spectrum/drawn_lines.h"
#include "spectrum/spectrum_view.h"
#include "spectrum/wavelength_colour.h"

namespace quorvanta {

// Everything a redraw reads, and the view it writes the extent of the selected lines back to.
struct SpectrumScene {
    std::int32_t grid = 0;  // the drawing grid, 1000 x 600 design pixels and the caption below
    const TransitionDatabase& database;
    SpectrumView& view;            // scale and bounds are read; selectedMin / selectedMax written
    std::int32_t passCount = 0;    // the start-up redraw, made on pass 2, shows the picture instead
    std::int32_t picture = 0;      // toolkit image of 640 x 480 pixels
    std::string_view programName;  // the title is the name and the version
    std::string_view version;
    std::string_view makersNotice;     // ends the version line of the start-up picture
    DrawnLines* drawnLines = nullptr;  // where the emission lines are recorded as drawn, if given
};

// The medium transition k is drawn for: the last selected medium bearing its medium name, or 0
// when it is not shown.
using ShownMediumLookup = std::int32_t (*)(const TransitionDatabase& db, std::int32_t k);

// Through the medium-name relation resolved at load time; what a redraw uses unless told.
std::int32_t shownMediumResolved(const TransitionDatabase& db, std::int32_t k);
// The same answer by comparing the transition's medium name with the name of every selected
// medium (transitions x media comparisons per redraw). Kept as the reference that the resolved
// relation is checked and timed against.
std::int32_t shownMediumByFullScan(const TransitionDatabase& db, std::int32_t k);

// Repaints the picture for the range centre ± width / 2 (nm) on the scene's scale, and leaves the
// extent of the lines of the selected media in scene.view.selectedMin / selectedMax (its upper
// and lower bound when there are none). The view's centre, width and scale are left alone.
void drawSpectrum(const SpectrumScene& scene, double centre, double width,
                  ShownMediumLookup lookup = shownMediumResolved);

// The colour of medium m as 16-bit intensities: the bits of 63 - k, with k = (m - 1) mod 64, give
// each primary a quarter, half, three quarters or full intensity. Medium 1 is white, medium 64 a
// dark grey, and the colours repeat every 64 media; m < 1 takes the colour of medium 1.
Intensities mediumIntensities(std::int32_t m);
// The toolkit colour of medium m, for the legend and the labels of its lines.
std::int32_t MediumColour(std::int32_t m);

// The toolkit colour of a wavelength in nm (the colour band's table).
std::int32_t WavelengthColour(double wavelength);

// Paints the colour band (rows 525..575) for the view onto the grid.
void drawColourBand(std::int32_t grid, const SpectrumView& view);

}  // namespace quorvanta
