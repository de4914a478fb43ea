// The program-wide state: every variable that lives for the whole run, in one block that start-up
// clears once before anything else runs; and the redraw entries that hand it to the renderer.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "core/settings_file.h"
#include "database/catalogue_index.h"
#include "database/transition_database.h"
#include "spectrum/renderer.h"
#include "spectrum/spectrum_view.h"
#include "toolkit/grid_pattern.h"
#include "windows/find_query.h"

namespace quorvanta {

inline constexpr const char* kVersion = "132 beta";
inline constexpr const char* kProgramName = "Quorvanta";
// Ends the version line of the start-up picture and of the About window.
inline constexpr const char* kMakersNotice =
    " - free laser line viewer, made by the Quorvanta team";

// The pointer's gesture on the colour band.
struct PointerState {
    std::int32_t dragging = 0;
    double zoomFactor = 0.0;
    std::int32_t pressX = 0;
    std::int32_t releaseX = 0;
    std::int32_t markerX = 0;
    std::int32_t markerColour = 0;
};

// The Find window: the catalogue's index, made when the window first opens, and what it shows.
struct FindState {
    bool indexed = false;
    CatalogueIndex index;
    FindResults results;
    std::int32_t highlight = -1;  // the row Enter acts on, -1 for none
};

struct Program {
    // Application core.
    std::int32_t entered = 0;
    std::string programDirectory;
    std::int32_t displayWidth = 0;
    std::int32_t displayHeight = 0;
    std::int32_t passCount = 0;
    std::array<StoredPosition, 4> storedPositions{};
    std::int32_t programImage = 0;
    // Ends the program: saves the settings and ends the process. Installed by start-up.
    void (*quitOperation)() = nullptr;
    // A one-line account of a damaged database, shown to the user once the main window is up.
    std::string databaseWarning;

    // Transition database.
    TransitionDatabase database;

    // Spectrum display.
    SpectrumView view;

    // Windows.
    std::int32_t mainWindow = 0;
    std::int32_t aboutWindow = 0;
    std::int32_t mediaWindow = 0;
    std::int32_t phaseWindow = 0;
    std::int32_t solidShown = 0;
    std::int32_t liquidShown = 0;
    std::int32_t gasShown = 0;
    PointerState pointer;
    DrawnLines drawnLines;  // the emission lines of the main window's picture, for the readout
    std::array<GridTypeState, 4> gridTypes{};

    // Keys, the wheel and the Find window. The Find window's place is not saved.
    std::int32_t findWindow = 0;
    GridTypeState findGridType;
    FindState find;
    // Wheel turns in eighths of a degree not yet spent on a whole notch.
    std::int32_t wheelZoomTurn = 0;
    std::int32_t wheelScrollTurn = 0;

    // Exports: the folder the last file was saved in, proposed for the next one (not saved).
    std::string exportFolder;
};

inline Program program;

// The renderer's entries as the windows and the loop call them: the picture of the program-wide
// state on the main window.
inline SpectrumScene programScene() {
    return {.grid = program.mainWindow,
            .database = program.database,
            .view = program.view,
            .passCount = program.passCount,
            .picture = program.programImage,
            .programName = kProgramName,
            .version = kVersion,
            .makersNotice = kMakersNotice,
            .drawnLines = &program.drawnLines};
}

// Repaints the main window's picture for centre ± width / 2 (nm); see drawSpectrum.
inline void DrawSpectrum(double centre, double width) {
    drawSpectrum(programScene(), centre, width);
}

// DrawSpectrum with the given way of finding each transition's medium.
inline void drawSpectrumWith(double centre, double width, ShownMediumLookup lookup) {
    drawSpectrum(programScene(), centre, width, lookup);
}

// Paints the colour band of the current view onto the main window.
inline void drawColourBand() {
    drawColourBand(program.mainWindow, program.view);
}

}  // namespace quorvanta
