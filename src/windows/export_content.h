// What the main window's exports hold: the lines of the selected media in the displayed range as
// catalogue rows, and the name the files are proposed under. Pure functions of the catalogue and
// the view, so that they can be tested and timed without windows.
#pragma once

#include <string>
#include <vector>

#include "database/catalogue_table.h"
#include "database/transition_database.h"
#include "spectrum/spectrum_view.h"

namespace quorvanta {

// Every line of a selected medium whose wavelength lies in the displayed range, its ends included,
// sorted by wavelength (equal ones in catalogue order). Each row names the medium the spectrum
// draws the line for, the last selected one of its name, and that medium's phase.
std::vector<CatalogueRow> linesInView(const TransitionDatabase& db, const SpectrumView& view);

// "quorvanta-350-800nm": the range's ends in nm, rounded to a hundredth of its width or finer,
// whole numbers from a width of 100 nm on, tenths below (a Max Zoom view:
// "quorvanta-627.8-637.8nm"), without trailing zeros. Always in nm, also for infrared views, so
// that names stay ASCII and sort by their first number.
std::string exportFileStem(const SpectrumView& view);

}  // namespace quorvanta
