// "Find": a text field over a list of results. It finds the lines nearest a wavelength, counts
// the lines in a range, or lists the media whose name holds what was typed; Enter or a click on a
// row goes there, shows the range or selects the medium.

#include <algorithm>
#include <array>
#include <string>

#include "core/program.h"
#include "spectrum/renderer.h"
#include "toolkit/grid_pattern.h"
#include "toolkit/gui_names.h"
#include "windows/kids.h"
#include "windows/windows.h"

namespace quorvanta {

namespace {

constexpr std::int32_t kFindWidth = 520;
constexpr std::int32_t kFindHeight = 392;
constexpr std::int32_t kMargin = 4;
constexpr std::int32_t kFieldHeight = 24;
constexpr std::int32_t kStatusY = 33;
constexpr std::int32_t kListY = 48;
constexpr std::int32_t kListHeight = kFindHeight - kListY - kMargin;
constexpr std::int32_t kBackground = 93;
constexpr std::int32_t kStatusColour = 0;
constexpr std::size_t kStatusCharacters = (kFindWidth - 2 * kMargin) / kCharWidth;
// Pixels between the main window and the Find window beside it.
constexpr std::int32_t kGap = 8;
// Centring on a line shows at most this fraction of its wavelength: its close neighbours.
constexpr double kNeighbourhood = 0.02;
// The list's rows line up in columns.
constexpr std::int32_t kListFontSize = 240;
constexpr std::int32_t kListFontWeight = 400;
constexpr const char* kListFontFace = "DejaVu Sans Mono";

enum FindKid : std::int32_t { FieldKid = 1, ListKid = 2 };

constexpr std::array<KidSpec, 2> kFindKids = {{
    {XuiTextLine, "Text", nullptr,
     "A wavelength (1064, 1064 nm, 1.064 um), a range (500-600, 3 to 5 um) or part of a name.",
     kMargin, kMargin, kFindWidth - 2 * kMargin, kFieldHeight},
    {XuiList, "Results", nullptr, nullptr, kMargin, kListY, kFindWidth - 2 * kMargin, kListHeight},
}};

void createFindKids(std::int32_t grid, std::int32_t window) {
    createKids(kFindKids, grid, window, Find);
    const XstText face(kListFontFace);
    for (const std::int32_t kid : {FieldKid, ListKid})
        XuiSend(grid, msg.SetFont, kListFontSize, kListFontWeight, 0, 0, kid, face.number());
}

void findDesignSize(std::int32_t& width, std::int32_t& height) {
    width = kFindWidth;
    height = kFindHeight;
}

// Not saved: the window is placed beside the main window whenever it opens.
void findPlacement(std::int32_t& x, std::int32_t& y, std::int32_t& displayWidth,
                   std::int32_t& displayHeight) {
    x = -1;
    y = -1;
    displayWidth = program.displayWidth;
    displayHeight = program.displayHeight;
}

constexpr GridTypeDescriptor kFindDescriptor = {
    "Find", findDesignSize, 0, {93, 0, 0, 124}, false, createFindKids, findPlacement};

std::string fieldText() {
    std::int32_t field = XuiGetKid(program.findWindow, FieldKid), message = msg.GetTextString,
                 v0 = 0, v1 = 0, v2 = 0, v3 = 0, r0 = 0, r1 = 0;
    XuiSendMessage(field, message, v0, v1, v2, v3, r0, r1);
    std::string text = XstGetText(r1);
    XstReleaseText(r1);
    return text;
}

void paintStatus(const std::string& status) {
    const std::int32_t grid = program.findWindow;
    XgrFillBox(grid, kBackground, 0, kStatusY - 2, kFindWidth - 1, kStatusY + kCharHeight + 1);
    XgrSetDrawpoint(grid, kMargin + 2, kStatusY);
    XgrDrawText(grid, kStatusColour, status.substr(0, kStatusCharacters));
}

void showHighlight() {
    XuiSend(program.findWindow, msg.SetValue, program.find.highlight, 0, 0, 0, ListKid);
}

// Finds again what the field says. A new text starts at the first row; otherwise the highlight
// stays where it was, as far as the rows go.
void refreshResults(bool newText) {
    FindState& find = program.find;
    find.results = findResults(parseFindText(fieldText()), program.database, find.index);
    const auto count = static_cast<std::int32_t>(find.results.actions.size());
    find.highlight = newText ? 0 : find.highlight;
    find.highlight = count == 0 ? -1 : std::clamp(find.highlight, 0, count - 1);
    std::string rows;
    for (const std::string& row : find.results.rows)
        rows += (rows.empty() ? "" : "\n") + row;
    const XstText text(rows);
    XuiSend(program.findWindow, msg.SetTextArray, 0, 0, 0, 0, ListKid, text.number());
    showHighlight();
    paintStatus(find.results.status);
}

// The same reaction as a click on the medium's toggle in the medium selection window.
void toggleMedium(std::int32_t medium) {
    const bool pressed = program.database.mediumSelected[std::size_t(medium)] != 1;
    setMediumToggle(medium, pressed);
    XuiCall(MediaCallback, program.mediaWindow, msg.Callback, pressed ? -1 : 0, 0, 0, 1,
            mediaToggleOffset + medium, msg.Selection);
}

// The steps after a change of the view, as the pointer's zoom takes them.
void showView() {
    SpectrumView& v = program.view;
    v.clampView();
    updateScrollBars();
    availStep();
    DrawSpectrum(v.viewCentre, v.viewWidth);
}

void centreOnLine(std::int32_t transition, double wavelength) {
    const TransitionDatabase& db = program.database;
    const auto media = db.mediaOf(transition);
    const bool shown = std::any_of(media.begin(), media.end(), [&](std::int32_t m) {
        return db.mediumSelected[std::size_t(m)] == 1;
    });
    if (!shown && !media.empty()) toggleMedium(media.front());
    SpectrumView& v = program.view;
    v.centreOn(wavelength, std::min(v.viewWidth, wavelength * kNeighbourhood));
    showView();
}

void showRange(double low, double high) {
    SpectrumView& v = program.view;
    v.viewWidth = high - low;
    v.viewCentre = low + (high - low) / 2;
    showView();
}

void actOn(std::int32_t row) {
    if (program.pointer.dragging == 1) return;  // a drag on the band holds the view until released
    const FindState& find = program.find;
    if (row < 0 || static_cast<std::size_t>(row) >= find.results.actions.size()) return;
    const FindAction action = find.results.actions[std::size_t(row)];
    switch (action.kind) {
        case FindAction::Kind::CentreOnLine:
            centreOnLine(action.item, action.low);
            break;
        case FindAction::Kind::ShowRange:
            showRange(action.low, action.high);
            break;
        case FindAction::Kind::ToggleMedium:
            toggleMedium(action.item);
            break;
    }
    refreshResults(false);
}

void moveHighlight(std::int32_t by) {
    FindState& find = program.find;
    const auto count = static_cast<std::int32_t>(find.results.actions.size());
    if (count == 0) return;
    find.highlight = std::clamp(find.highlight + by, 0, count - 1);
    showHighlight();
}

void hideFind() {
    XuiCall(XuiHideWindow, program.findWindow, msg.HideWindow);
}

void fieldKey(std::int32_t key) {
    const auto page = static_cast<std::int32_t>(kFindRows);
    switch (key) {
        case kKeyUp:
            moveHighlight(-1);
            break;
        case kKeyDown:
            moveHighlight(1);
            break;
        case kKeyPageUp:
            moveHighlight(-page);
            break;
        case kKeyPageDown:
            moveHighlight(page);
            break;
        case kKeyEnter:
            actOn(program.find.highlight);
            break;
        case kKeyEscape:
            hideFind();
            break;
        default:
            break;
    }
}

}  // namespace

void besideWindow(const std::array<std::int32_t, 4>& other, std::int32_t width, std::int32_t height,
                  std::int32_t displayWidth, std::int32_t displayHeight, std::int32_t& x,
                  std::int32_t& y) {
    const std::int64_t otherLeft = other[0];
    const std::int64_t otherRight = otherLeft + other[2];
    const std::int64_t right = otherRight + kGap;
    const std::int64_t left = otherLeft - kGap - width;
    std::int64_t at = right;
    if (right + width > displayWidth)
        at = left >= 0 || otherLeft > displayWidth - otherRight ? left : right;
    const std::int64_t lastX = std::max<std::int64_t>(0, std::int64_t{displayWidth} - width);
    const std::int64_t lastY = std::max<std::int64_t>(0, std::int64_t{displayHeight} - height);
    x = static_cast<std::int32_t>(std::clamp<std::int64_t>(at, 0, lastX));
    y = static_cast<std::int32_t>(std::clamp<std::int64_t>(other[1], 0, lastY));
}

void openFind() {
    FindState& find = program.find;
    if (!find.indexed) {
        find.index = CatalogueIndex(program.database);
        find.indexed = true;
    }
    if (!XuiWindowVisible(program.findWindow)) {
        std::array<std::int32_t, 4> main{};
        std::int32_t grid = program.mainWindow, message = msg.GetWindowSize, r0 = 0, r1 = 0;
        XuiGetWindowSize(grid, message, main[0], main[1], main[2], main[3], r0, r1);
        std::int32_t x = 0, y = 0;
        besideWindow(main, kFindWidth, kFindHeight, program.displayWidth, program.displayHeight, x,
                     y);
        XuiSend(program.findWindow, msg.ResizeWindow, x, y, kFindWidth, kFindHeight);
    }
    XuiCall(XuiShowWindow, program.findWindow, msg.ShowWindow);
    XuiCall(XuiSelectWindow, program.findWindow, msg.SelectWindow);
    refreshResults(false);
}

std::int32_t Find(std::int32_t& grid, std::int32_t& message, std::int32_t& v0, std::int32_t& v1,
                  std::int32_t& v2, std::int32_t& v3, std::int32_t& r0, std::int32_t& r1) {
    return runGridFunction(kFindDescriptor, program.findGridType, Find, grid, message, v0, v1, v2,
                           v3, r0, r1);
}

std::int32_t FindCallback(std::int32_t&, std::int32_t& message, std::int32_t& v0, std::int32_t&,
                          std::int32_t&, std::int32_t&, std::int32_t& r0, std::int32_t& r1) {
    const std::int32_t m = callbackMessage(message, r1);
    if (m == 0) return 0;
    if (m == msg.CloseWindow) {
        hideFind();
    } else if (m == msg.WindowKeyDown) {
        if (v0 == kKeyEscape) hideFind();
    } else if (m == msg.TextModified && r0 == FieldKid) {
        refreshResults(true);
    } else if (m == msg.KeyDown && r0 == FieldKid) {
        fieldKey(v0);
    } else if (m == msg.Selection && r0 == ListKid) {
        program.find.highlight = v0;
        actOn(v0);
    }
    return 0;
}

}  // namespace quorvanta
