// The main window: grid type Quorvanta, its fifteen kids and the scroll bars' positions.

#include <array>

#include "core/program.h"
#include "spectrum/pixel.h"
#include "toolkit/grid_pattern.h"
#include "toolkit/gui_names.h"
#include "windows/kids.h"
#include "windows/windows.h"

namespace quorvanta {

namespace {

constexpr std::int32_t kMainWidth = 1000;
constexpr std::int32_t kMainHeight = 700;
// The vertical scroll bar's thumb is a fixed 5 nm of width.
constexpr std::int32_t kWidthThumb = 5;

constexpr std::array<KidSpec, 15> kMainKids = {{
    {XuiPushButton, "Quit", "Quit", "Press to exit program.", 5, 679, 73, 20},
    {XuiPushButton, "About", "About", "Press for program information.", 925, 679, 73, 20},
    {XuiPushButton, "MaxZoom", "Max Zoom", "Zooms all the way in to 10nm range.", 202, 679, 73, 20},
    {XuiPushButton, "MinZoom", "Min Zoom", "Zooms out to display the whole spectrum.", 277, 679, 73,
     20},
    {XuiPushButton, "Visible", "Visible", "Resets display to just the visible spectrum.", 502, 679,
     73, 20},
    {XuiPushButton, "ShowAll", "Zoom All", "Adjusts display to show all lines of selected media.",
     352, 679, 73, 20},
    {XuiPushButton, "LinLog", "Lin/Log", "Toggles between linear and logarithmic display modes.",
     662, 679, 73, 20},
    {XuiToggleButton, "AutoZoom", "AutoZoom", "Toggles autozoom on and off.", 352, 657, 73, 20},
    {XuiPushButton, "ShowAvail", "Available", "Selects all available media within displayed range.",
     577, 679, 83, 20},
    {XuiToggleButton, "AutoAvail", "AutoAvail", "Toggles automatic show available on and off.", 577,
     657, 83, 20},
    {XuiPushButton, "Clear", "Clear", "Clears the display.", 427, 679, 73, 20},
    {XuiScrollBarH, "HBar", nullptr, nullptr, 0, 601, 1000, 15},
    {XuiScrollBarV, "VBar", nullptr, nullptr, 985, 0, 15, 500},
    {XuiPushButton, "Media", "Select By Medium",
     "Select lasers specifically by their lasing medium.", 425, 619, 110, 20},
    {XuiPushButton, "Phase", "Select By Phase", "Select lasers by the phase of the lasing medium.",
     5, 619, 110, 20},
}};

std::int32_t rounded(double value) {
    std::int32_t result = 0;
    roundToPixel(value, result);
    return result;
}

void sendScrollPositions(std::int32_t grid) {
    const SpectrumView& v = program.view;
    XuiSend(grid, msg.SetPosition, v.lowerBound, rounded(v.viewCentre - v.viewWidth / 2),
            rounded(v.viewCentre + v.viewWidth / 2), v.upperBound, HBarKid);
    XuiSend(grid, msg.SetPosition, rounded(v.minWidth), rounded(v.viewWidth),
            rounded(v.viewWidth + kWidthThumb), rounded(v.maxWidth + kWidthThumb), VBarKid);
}

void createMainKids(std::int32_t grid, std::int32_t window) {
    createKids(kMainKids, grid, window, Quorvanta);
    const std::int32_t hbar = XuiGetKid(grid, HBarKid);
    const std::int32_t vbar = XuiGetKid(grid, VBarKid);
    sendScrollPositions(grid);
    XuiSend(hbar, msg.SetStyle, 1);
    XuiSend(hbar, msg.SetTexture, 5);
    XuiSend(vbar, msg.SetStyle, 1);
    XuiSend(vbar, msg.SetTexture, 5);
    // The pointer resting on the picture brings up the readout of the lines under it.
    XuiTrackPointer(grid);
}

void mainDesignSize(std::int32_t& width, std::int32_t& height) {
    width = kMainWidth;
    height = kMainHeight;
}

constexpr GridTypeDescriptor kMainDescriptor = {"Quorvanta",
                                                mainDesignSize,
                                                0,
                                                {93, 0, 0, 124},
                                                true,
                                                createMainKids,
                                                storedPlacement<MainRecord>};

}  // namespace

std::int32_t Quorvanta(std::int32_t& grid, std::int32_t& message, std::int32_t& v0,
                       std::int32_t& v1, std::int32_t& v2, std::int32_t& v3, std::int32_t& r0,
                       std::int32_t& r1) {
    return runGridFunction(kMainDescriptor, program.gridTypes[MainRecord], Quorvanta, grid, message,
                           v0, v1, v2, v3, r0, r1);
}

void updateScrollBars() {
    sendScrollPositions(program.mainWindow);
}

}  // namespace quorvanta
