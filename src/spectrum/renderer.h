// The spectrum picture on the main window's grid: header band with legend and title, plot area,
// colour band, axis ticks, the emission lines of the selected media and the scale caption. Every
// call repaints everything from the program-wide state; nothing is kept between calls.
#pragma once

#include <cstdint>

#include "database/transition_database.h"
#include "spectrum/wavelength_colour.h"

namespace quorvanta {

// Repaints the picture for the range centre ± width / 2 (nm) on the current scale, and leaves the
// extent of the lines of the selected media in program.view.selectedMin / selectedMax (20000 and
// 10 when there are none).
void DrawSpectrum(double centre, double width);

// The medium transition k is drawn for: the last selected medium bearing its medium name, or 0
// when it is not shown.
using ShownMediumLookup = std::int32_t (*)(const TransitionDatabase& db, std::int32_t k);

// Through the medium-name relation resolved at load time; what DrawSpectrum uses.
std::int32_t shownMediumResolved(const TransitionDatabase& db, std::int32_t k);
// The same answer by comparing the transition's medium name with the name of every selected
// medium (transitions x media comparisons per redraw). Kept as the reference that the resolved
// relation is checked and timed against.
std::int32_t shownMediumByFullScan(const TransitionDatabase& db, std::int32_t k);

// DrawSpectrum with the given way of finding each transition's medium.
void drawSpectrumWith(double centre, double width, ShownMediumLookup lookup);

// The colour of medium m as 16-bit intensities: the bits of 63 - k, with k = (m - 1) mod 64, give
// each primary a quarter, half, three quarters or full intensity. Medium 1 is white, medium 64 a
// dark grey, and the colours repeat every 64 media; m < 1 takes the colour of medium 1.
Intensities mediumIntensities(std::int32_t m);
// The toolkit colour of medium m, for the legend and the labels of its lines.
std::int32_t MediumColour(std::int32_t m);

// The toolkit colour of a wavelength in nm (the colour band's table).
std::int32_t WavelengthColour(double wavelength);

// Paints the colour band (rows 525..575) for program.view onto program.mainWindow.
void drawColourBand();

}  // namespace quorvanta
