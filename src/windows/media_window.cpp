// "Select By Laser Medium": one toggle per medium in columns of 20, and All, None, Close.

#include <array>
#include <string>

#include "core/program.h"
#include "spectrum/renderer.h"
#include "toolkit/gui_names.h"
#include "windows/kids.h"
#include "windows/windows.h"

namespace quorvanta {

namespace {

constexpr std::int32_t kColumnWidth = 150;
constexpr std::int32_t kRowHeight = 20;
constexpr std::int32_t kRowsPerColumn = 20;
constexpr std::int32_t kToggleWidth = 147;
constexpr std::int32_t kKidHeight = 18;
constexpr std::int32_t kMargin = 2;

enum MediaKid : std::int32_t { CloseKid = 1, AllKid = 2, NoneKid = 3 };

constexpr std::array<KidSpec, 3> kMediaButtons = {{
    {XuiPushButton, "OK", "Close", "Closes this window.", 2, 2, 50, kKidHeight},
    {XuiPushButton, "All", "All", "Selects all media.", 56, 2, 40, kKidHeight},
    {XuiPushButton, "None", "None", "Clears selections.", 99, 2, 50, kKidHeight},
}};

void createMediaKids(std::int32_t grid, std::int32_t window) {
    createKids(kMediaButtons, grid, window, Media);
    // Medium i stands in column i div 20, row i mod 20; row 0 of the first column holds the
    // buttons.
    const TransitionDatabase& db = program.database;
    for (std::int32_t i = 1; i <= db.mediumCount; ++i) {
        const std::string name(db.media[i].name());
        const KidSpec toggle = {XuiToggleButton,
                                name.c_str(),
                                name.c_str(),
                                nullptr,
                                kColumnWidth * (i / kRowsPerColumn) + kMargin,
                                kRowHeight * (i % kRowsPerColumn) + kMargin,
                                kToggleWidth,
                                kKidHeight};
        createKid(toggle, grid, window, Media);
    }
}

void mediaDesignSize(std::int32_t& width, std::int32_t& height) {
    width = (program.database.mediumCount / kRowsPerColumn + 1) * kColumnWidth + kMargin;
    height = kRowsPerColumn * kRowHeight + kMargin;
}

constexpr GridTypeDescriptor kMediaDescriptor = {"Media",
                                                 mediaDesignSize,
                                                 0,
                                                 {93, 0, 0, 124},
                                                 false,
                                                 createMediaKids,
                                                 storedPlacement<MediaRecord>};

void refresh() {
    DrawSpectrum(program.view.viewCentre, program.view.viewWidth);
    if (program.view.autoZoom == 1) zoomAll();
}

void selectAll(std::int32_t selected) {
    TransitionDatabase& db = program.database;
    for (std::int32_t i = 1; i <= db.mediumCount; ++i) {
        db.mediumSelected[i] = selected;
        setMediumToggle(i, selected == 1);
    }
    refresh();
}

}  // namespace

std::int32_t Media(std::int32_t& grid, std::int32_t& message, std::int32_t& v0, std::int32_t& v1,
                   std::int32_t& v2, std::int32_t& v3, std::int32_t& r0, std::int32_t& r1) {
    return runGridFunction(kMediaDescriptor, program.gridTypes[MediaRecord], Media, grid, message,
                           v0, v1, v2, v3, r0, r1);
}

std::int32_t MediaCallback(std::int32_t& grid, std::int32_t& message, std::int32_t&, std::int32_t&,
                           std::int32_t&, std::int32_t& v3, std::int32_t& r0, std::int32_t& r1) {
    const std::int32_t m = callbackMessage(message, r1);
    if (m == 0) return 0;
    if (m == msg.CloseWindow) {
        // The frame's close control hides this window, as it does the other secondary windows.
        XuiCall(XuiHideWindow, grid, msg.HideWindow);
        return 0;
    }
    if (m != msg.Selection) return 0;
    TransitionDatabase& db = program.database;
    if (r0 == 0) {
        XstLog("MEDIA");
    } else if (r0 == CloseKid) {
        XuiCall(XuiHideWindow, program.mediaWindow, msg.HideWindow);
    } else if (r0 == AllKid) {
        selectAll(1);
    } else if (r0 == NoneKid) {
        selectAll(0);
    } else if (r0 > mediaToggleOffset && r0 - mediaToggleOffset <= db.mediumCount && v3 != 0) {
        const std::int32_t i = r0 - mediaToggleOffset;
        db.mediumSelected[i] = 1 - db.mediumSelected[i];
        refresh();
    }
    return 0;
}

}  // namespace quorvanta
