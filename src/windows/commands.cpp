// Every reaction of the main window, and the view and selection operations it shares with the
// pointer and the selection windows.

#include <cmath>

#include "core/program.h"
#include "spectrum/renderer.h"
#include "toolkit/gui_names.h"
#include "windows/windows.h"

namespace quorvanta {

namespace {

// The visible spectrum, 350..800 nm.
constexpr double kVisibleCentre = 575.0;
constexpr double kVisibleWidth = 450.0;
// Scroll steps as fractions of the view width, and zoom factors of the width bar.
constexpr double kScrollOneStep = 50.0;
constexpr double kScrollMuchStep = 10.0;
constexpr double kZoomOneStep = 0.98;
constexpr double kZoomMuchStep = 0.9;

void redraw() {
    DrawSpectrum(program.view.viewCentre, program.view.viewWidth);
}

void showAndRaise(std::int32_t grid) {
    XuiCall(XuiShowWindow, grid, msg.ShowWindow);
    XuiCall(XuiSelectWindow, grid, msg.SelectWindow);
}

// The horizontal bar scrolls the range without changing its width.
void scrollBy(std::int32_t message, std::int32_t v1, std::int32_t v2, std::int32_t v3) {
    SpectrumView& v = program.view;
    if (message == msg.Change) {
        v.viewCentre = (v1 + (static_cast<double>(v2) - v1) / 2) * v.upperBound /
                       (static_cast<double>(v3) - 1);
        v.clampView();
        availStep();
        redraw();
        return;
    }
    const bool one = message == msg.OneLess || message == msg.OneMore;
    const double step = v.viewWidth / (one ? kScrollOneStep : kScrollMuchStep);
    if (message == msg.OneLess || message == msg.MuchLess) {
        v.viewCentre -= step;
        if (v.viewCentre < v.lowerBound + v.viewWidth / 2)
            v.viewCentre = v.lowerBound + v.viewWidth / 2;
    } else {
        v.viewCentre += step;
        if (v.viewCentre > v.upperBound - v.viewWidth / 2)
            v.viewCentre = v.upperBound - v.viewWidth / 2;
    }
    availStep();
    redraw();
    updateScrollBars();
}

// The vertical bar sets the width, keeping the wavelength at the plot's middle where it is.
void zoomTo(std::int32_t message, std::int32_t v1, std::int32_t v3) {
    SpectrumView& v = program.view;
    double width = v.viewWidth;
    if (message == msg.Change)
        width = v1 * (v.maxWidth / v3);
    else if (message == msg.OneLess)
        width = v.viewWidth * kZoomOneStep;
    else if (message == msg.MuchLess)
        width = v.viewWidth * kZoomMuchStep;
    else if (message == msg.OneMore)
        width = v.viewWidth / kZoomOneStep;
    else if (message == msg.MuchMore)
        width = v.viewWidth / kZoomMuchStep;
    const double middle =
        v.scale == Linear
            ? v.viewCentre
            : std::sqrt(v.viewCentre * v.viewCentre - (v.viewWidth / 2) * (v.viewWidth / 2));
    v.centreOn(middle, width);
    v.clampView();
    availStep();
    redraw();
    updateScrollBars();
}

bool isScrollMessage(std::int32_t message) {
    return message == msg.Change || message == msg.OneLess || message == msg.OneMore ||
           message == msg.MuchLess || message == msg.MuchMore;
}

void runCommand(std::int32_t kid) {
    SpectrumView& v = program.view;
    switch (kid) {
        case QuitKid:
            if (program.quitOperation) program.quitOperation();
            break;
        case AboutKid:
            showAndRaise(program.aboutWindow);
            break;
        case MaxZoomKid:
            v.viewWidth = v.minWidth;
            availStep();
            redraw();
            updateScrollBars();
            break;
        case MinZoomKid:
            v.viewWidth = v.maxWidth;
            v.viewCentre = v.maxWidth / 2 + v.lowerBound;
            availStep();
            redraw();
            updateScrollBars();
            break;
        case VisibleKid:
            v.viewWidth = kVisibleWidth;
            v.viewCentre = kVisibleCentre;
            availStep();
            redraw();
            updateScrollBars();
            break;
        case ShowAllKid:
            zoomAll();
            updateScrollBars();
            break;
        case LinLogKid:
            v.scale = 1 - v.scale;
            redraw();
            break;
        case AutoZoomKid:
            v.autoZoom = 1 - v.autoZoom;
            if (v.autoZoom == 1) {
                zoomAll();
                redraw();
            }
            break;
        case ShowAvailKid:
            showAvailable();
            break;
        case AutoAvailKid:
            v.autoAvail = 1 - v.autoAvail;
            if (v.autoAvail == 1) {
                showAvailable();
                redraw();
            }
            break;
        case ClearKid:
            clearSelection();
            redraw();
            break;
        case MediaKid:
            showAndRaise(program.mediaWindow);
            break;
        case PhaseKid:
            showAndRaise(program.phaseWindow);
            break;
        default:
            break;
    }
}

}  // namespace

std::int32_t MainCallback(std::int32_t&, std::int32_t& message, std::int32_t& v0, std::int32_t& v1,
                          std::int32_t& v2, std::int32_t& v3, std::int32_t& r0, std::int32_t& r1) {
    const std::int32_t m = callbackMessage(message, r1);
    if (m == 0) return 0;
    if (m == msg.Selection) {
        runCommand(r0);
    } else if (m == msg.CloseWindow) {
        // Closing the main window's frame ends the program as Quit does: a hidden main window
        // could never be shown or closed again.
        if (program.quitOperation) program.quitOperation();
    } else if (isScrollMessage(m) && r0 == HBarKid) {
        scrollBy(m, v1, v2, v3);
    } else if (isScrollMessage(m) && r0 == VBarKid) {
        zoomTo(m, v1, v3);
    } else if (m == msg.WindowKeyDown) {
        mainWindowKey(v0, v2);
    } else if (m == msg.WindowMouseWheel) {
        mainWindowWheel(v0, v1, v2, v3);
    } else if (r0 == 0 &&
               (m == msg.WindowMouseMove || m == msg.WindowMouseExit || m == msg.WindowMouseDown)) {
        hoverReadout(m, v0, v1, v2);
    }
    return 0;
}

std::int32_t callbackMessage(std::int32_t message, std::int32_t r1) {
    return message != 0 && message == msg.Callback ? r1 : message;
}

void availStep() {
    if (program.view.autoAvail == 1) showAvailable();
}

void zoomAll() {
    SpectrumView& v = program.view;
    if (!(v.selectedMin < v.upperBound && v.selectedMax > v.lowerBound)) return;
    v.fitRange(v.selectedMin, v.selectedMax);
    v.clampView();
    updateScrollBars();
    redraw();
}

void setMediumToggle(std::int32_t medium, bool pressed) {
    XuiSend(program.mediaWindow, msg.SetValue, pressed ? -1 : 0, 0, 0, 0,
            mediaToggleOffset + medium);
}

void showAvailable() {
    clearSelection();
    TransitionDatabase& db = program.database;
    const double lo = program.view.viewCentre - program.view.viewWidth / 2;
    const double hi = program.view.viewCentre + program.view.viewWidth / 2;
    for (std::int32_t k = 1; k <= db.transitionCount; ++k) {
        const double w = db.transitions[k].wavelength();
        if (!(w > lo && w < hi)) continue;
        for (std::int32_t m : db.mediaOf(k)) {
            db.mediumSelected[m] = 1;
            setMediumToggle(m, true);
        }
    }
    redraw();
}

void clearSelection() {
    TransitionDatabase& db = program.database;
    for (std::int32_t i = 1; i <= db.mediumCount; ++i) {
        db.mediumSelected[i] = 0;
        setMediumToggle(i, false);
    }
}

}  // namespace quorvanta
