// Clicks and drags on the colour band: a small state machine, idle or dragging, fed with every
// message before its normal processing.

#include <algorithm>
#include <utility>

#include "core/program.h"
#include "spectrum/renderer.h"
#include "toolkit/gui_names.h"
#include "windows/windows.h"

namespace quorvanta {

namespace {

// The band's rows; a press or release counts as on the band strictly between these.
constexpr std::int32_t kBandTop = 525;
constexpr std::int32_t kBandBottom = 575;
// The band has one colour per column, so the middle row stands for the whole column.
constexpr std::int32_t kSampleRow = 550;
constexpr std::int32_t kMarkerColour = 124;
constexpr std::int32_t kLastColumn = 999;
constexpr double kZoomIn = 0.9;

bool onBand(std::int32_t y) {
    return y > kBandTop - 1 && y < kBandBottom + 1;
}

std::int32_t colourAt(std::int32_t x) {
    std::int32_t red = 0, green = 0, blue = 0, colour = 0;
    XgrGrabPoint(program.mainWindow, x, kSampleRow, red, green, blue, colour);
    return colour;
}

void drawMarker(std::int32_t x, std::int32_t colour) {
    XgrDrawLine(program.mainWindow, colour, x, kBandTop, x, kBandBottom);
}

// While the button is held: the anchor is drawn again and the moving marker follows the pointer.
void moveMarker(PointerState& p, std::int32_t pointerX) {
    drawMarker(p.pressX, kMarkerColour);
    drawMarker(p.markerX, p.markerColour);
    const std::int32_t x = std::clamp(pointerX, 0, kLastColumn);
    p.markerColour = colourAt(x);
    drawMarker(x, kMarkerColour);
    p.markerX = x;
}

void press(PointerState& p, std::int32_t x, std::int32_t y, std::int32_t buttons) {
    if (buttons & kLeftButton)
        p.zoomFactor = kZoomIn;
    else if (buttons & kRightButton)
        p.zoomFactor = 1 / kZoomIn;
    else
        return;
    p.pressX = x;
    if (!onBand(y)) return;
    p.dragging = 1;
    p.markerColour = colourAt(p.pressX);
    drawMarker(p.pressX, kMarkerColour);
    p.markerX = p.pressX;
}

void release(PointerState& p, const AxisMapping& before, std::int32_t x, std::int32_t y) {
    if (p.dragging != 1) return;
    p.releaseX = x;
    if (p.releaseX < p.pressX) std::swap(p.releaseX, p.pressX);
    if (p.pressX < 0) p.pressX = 0;
    if (p.releaseX > kLastColumn) p.releaseX = kLastColumn;
    SpectrumView& v = program.view;
    if (onBand(y)) {
        if (p.pressX == p.releaseX) {
            v.centreOn(before.wavelengthAt(p.pressX), v.viewWidth * p.zoomFactor);
        } else {
            const double oldWidth = v.viewWidth;
            const double a = before.wavelengthAt(p.pressX);
            const double b = before.wavelengthAt(p.releaseX);
            v.viewWidth = b - a;
            v.viewCentre = a + (b - a) / 2;
            if (p.zoomFactor > 1) {
                v.viewWidth = oldWidth * (oldWidth / (b - a));
                v.clampView();
            }
        }
        v.clampView();
        updateScrollBars();
        availStep();
        DrawSpectrum(v.viewCentre, v.viewWidth);
    } else {
        drawColourBand();
    }
    p.dragging = 0;
}

}  // namespace

std::int32_t PointerFilter(std::int32_t&, std::int32_t& message, std::int32_t& v0, std::int32_t& v1,
                           std::int32_t& v2, std::int32_t&, std::int32_t&, std::int32_t&) {
    PointerState& p = program.pointer;
    // Conversions use the range as it was before this message changed anything.
    const AxisMapping before = program.view.mapping();
    // A key, or typing in Find, carries no pointer position: the markers stay where they are.
    const bool keyMessage = message != 0 && (message == msg.WindowKeyDown ||
                                             message == msg.KeyDown || message == msg.TextModified);
    if (p.dragging == 1 && !keyMessage) moveMarker(p, v0);
    if (message != 0 && message == msg.WindowMouseDown)
        press(p, v0, v1, v2);
    else if (message != 0 && message == msg.WindowMouseUp)
        release(p, before, v0, v1);
    return 0;
}

}  // namespace quorvanta
