// The program's four windows: their grid functions, their callback functions, the commands they
// share, and the pointer filter that zooms on the colour band.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "database/transition_database.h"
#include "spectrum/drawn_lines.h"

#include "toolkit/toolkit.h"

namespace quorvanta {

#define QUORVANTA_GRID_FUNCTION(name)                                                         \
    std::int32_t name(std::int32_t& grid, std::int32_t& message, std::int32_t& v0,            \
                      std::int32_t& v1, std::int32_t& v2, std::int32_t& v3, std::int32_t& r0, \
                      std::int32_t& r1)

// Grid functions, named after their grid types.
QUORVANTA_GRID_FUNCTION(Quorvanta);
QUORVANTA_GRID_FUNCTION(About);
QUORVANTA_GRID_FUNCTION(Media);
QUORVANTA_GRID_FUNCTION(Type);
QUORVANTA_GRID_FUNCTION(Find);

// Callback functions: every reaction of a window to its kids and its frame.
QUORVANTA_GRID_FUNCTION(MainCallback);
QUORVANTA_GRID_FUNCTION(AboutCallback);
QUORVANTA_GRID_FUNCTION(MediaCallback);
QUORVANTA_GRID_FUNCTION(TypeCallback);
QUORVANTA_GRID_FUNCTION(FindCallback);

// Sees every message first; zooms with clicks and drags on the colour band.
QUORVANTA_GRID_FUNCTION(PointerFilter);

#undef QUORVANTA_GRID_FUNCTION

// Kid numbers of the main window.
enum MainKid : std::int32_t {
    QuitKid = 1,
    AboutKid = 2,
    MaxZoomKid = 3,
    MinZoomKid = 4,
    VisibleKid = 5,
    ShowAllKid = 6,
    LinLogKid = 7,
    AutoZoomKid = 8,
    ShowAvailKid = 9,
    AutoAvailKid = 10,
    ClearKid = 11,
    HBarKid = 12,
    VBarKid = 13,
    MediaKid = 14,
    PhaseKid = 15,
};

// The toggle of medium i is kid mediaToggleOffset + i of the medium selection window.
inline constexpr std::int32_t mediaToggleOffset = 3;

// Creates the four windows in order (main, About, medium selection, phase selection), then the
// Find window, each with its callback function, initialised and displayed.
void createWindows();

// The message a callback function acts on: a kid's own message when it comes wrapped as
// Callback, else the message itself.
std::int32_t callbackMessage(std::int32_t message, std::int32_t r1);

// Shared commands.
void updateScrollBars();
void zoomAll();
void showAvailable();
void clearSelection();
// Runs showAvailable when AutoAvail is on.
void availStep();
// The ten lines of the About window, numbered 1 to 10 (0 unused).
std::array<std::string, 11> aboutLines();
// Sets the toggle of medium i in the medium selection window.
void setMediumToggle(std::int32_t medium, bool pressed);

// Keys and the wheel on the main window: each does what one of its controls does.
void mainWindowKey(std::int32_t key, std::int32_t modifiers);
void mainWindowWheel(std::int32_t x, std::int32_t y, std::int32_t state, std::int32_t turn);

// The exports of the main window: the picture as a PNG file, the lines of the selected media in
// the displayed range as a CSV file, each where the user chooses in the save dialog; and the same
// CSV text on the clipboard. A file is written whole or not at all; a failure shows a warning.
void savePicture();
void saveLines();
void copyLines();

// Shows the Find window beside the main window, its field ready for typing.
void openFind();
// Where a window of the given size stands beside another (x, y, width, height) on a display:
// right of it, else left of it, else on the side with more room; always on the display where it
// fits.
void besideWindow(const std::array<std::int32_t, 4>& other, std::int32_t width, std::int32_t height,
                  std::int32_t displayWidth, std::int32_t displayHeight, std::int32_t& x,
                  std::int32_t& y);

// The hover readout's rows for the pointer in a column of the picture: the wavelength there, then
// the lines drawn within reach, nearest first, eight at most, then how many more there are.
std::vector<XuiReadoutRow> readoutRows(const DrawnLines& lines, const TransitionDatabase& db,
                                       std::int32_t column);
// Shows the readout for a move with no button held over the picture; hides it for every other
// window mouse message of the main window: a press, a drag, a move off the picture, leaving.
void hoverReadout(std::int32_t message, std::int32_t x, std::int32_t y, std::int32_t buttons);

}  // namespace quorvanta
