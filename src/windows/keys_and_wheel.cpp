// Keys and the wheel on the main window. Each does what one of the window's controls does, by
// handing the main window's callback the very message that control sends, so that the view is
// clamped, AutoAvail applied, the spectrum drawn and the scroll bars moved exactly as there. Only
// the wheel's zoom about the pointer has arithmetic of its own; its steps after it are a click's.

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "core/program.h"
#include "spectrum/anchored_zoom.h"
#include "spectrum/renderer.h"
#include "toolkit/gui_names.h"
#include "windows/windows.h"

namespace quorvanta {

namespace {

constexpr std::int32_t kNotch = 120;  // eighths of a degree
// A notch forward narrows the view as a left click does, a notch back widens it as a right one.
constexpr double kZoomPerNotch = 0.9;
// The wheel acts over the picture: the plot, the scales and the colour band.
constexpr std::int32_t kPictureRows = 600;
constexpr std::int32_t kPictureColumns = 1000;
// No turn, however large a device reports it, runs more steps than this at once.
constexpr std::int32_t kMostNotches = 20;

// What a kid of the main window sends: Selection for a button, a step message for a scroll bar.
void asFromKid(std::int32_t kid, std::int32_t message) {
    XuiCall(MainCallback, program.mainWindow, msg.Callback, 0, 0, 0, 1, kid, message);
}

// Adds a turn to what is left of earlier ones and gives back the whole notches in it.
std::int32_t wholeNotches(std::int32_t& turn, std::int32_t more) {
    turn += std::clamp(more, -kMostNotches * kNotch, kMostNotches * kNotch);
    const std::int32_t notches = turn / kNotch;
    turn -= notches * kNotch;
    return std::clamp(notches, -kMostNotches, kMostNotches);
}

}  // namespace

void mainWindowKey(std::int32_t key, std::int32_t modifiers) {
    // While a drag on the band is under way its markers stand on the picture and its anchor is a
    // column of the view it started in: nothing may redraw or move the view before its release.
    if (program.pointer.dragging == 1) return;
    if (modifiers & kAltKey) return;
    const bool shift = (modifiers & kShiftKey) != 0;
    if (modifiers & kControlKey) {
        if (key == 'f') openFind();
        if (key == 'q') asFromKid(QuitKid, msg.Selection);
        if (key == 's') savePicture();
        if (key == 'e') saveLines();
        if (key == 'c') copyLines();
        return;
    }
    switch (key) {
        case '+':
        case '=':
            asFromKid(VBarKid, msg.MuchLess);
            break;
        case '-':
            asFromKid(VBarKid, msg.MuchMore);
            break;
        case kKeyLeft:
            asFromKid(HBarKid, shift ? msg.MuchLess : msg.OneLess);
            break;
        case kKeyRight:
            asFromKid(HBarKid, shift ? msg.MuchMore : msg.OneMore);
            break;
        case kKeyUp:
            asFromKid(VBarKid, msg.OneLess);
            break;
        case kKeyDown:
            asFromKid(VBarKid, msg.OneMore);
            break;
        case kKeyHome:
            asFromKid(MinZoomKid, msg.Selection);
            break;
        case kKeyEnd:
            asFromKid(ShowAllKid, msg.Selection);
            break;
        case 'v':
            asFromKid(VisibleKid, msg.Selection);
            break;
        case 'l':
            asFromKid(LinLogKid, msg.Selection);
            break;
        case 'a':
            asFromKid(ShowAvailKid, msg.Selection);
            break;
        case '/':
            openFind();
            break;
        default:
            break;
    }
}

void mainWindowWheel(std::int32_t x, std::int32_t y, std::int32_t state, std::int32_t turn) {
    if (program.pointer.dragging == 1) return;  // as for keys
    if (x < 0 || x >= kPictureColumns || y < 0 || y >= kPictureRows) return;
    if ((state & kWheelHorizontal) || (state & kShiftKey)) {
        // Forward, or to the left: towards shorter wavelengths, a trough click's tenth each.
        const std::int32_t notches = wholeNotches(program.wheelScrollTurn, turn);
        for (std::int32_t i = 0; i < std::abs(notches); ++i)
            asFromKid(HBarKid, notches > 0 ? msg.MuchLess : msg.MuchMore);
        return;
    }
    const std::int32_t notches = wholeNotches(program.wheelZoomTurn, turn);
    if (notches == 0) return;
    SpectrumView& v = program.view;
    zoomAboutColumn(v, x, v.viewWidth * std::pow(kZoomPerNotch, notches));
    v.clampView();
    updateScrollBars();
    availStep();
    DrawSpectrum(v.viewCentre, v.viewWidth);
}

}  // namespace quorvanta
