// "Select By Phase": three phase flags, and buttons that apply them to every medium of a known
// phase.

#include <array>

#include "core/program.h"
#include "spectrum/renderer.h"
#include "toolkit/gui_names.h"
#include "windows/kids.h"
#include "windows/windows.h"

namespace quorvanta {

namespace {

constexpr std::int32_t kPhaseWidth = 200;
constexpr std::int32_t kPhaseHeight = 47;

enum PhaseKid : std::int32_t { CloseKid = 1, AllKid, NoneKid, SolidKid, LiquidKid, GasKid };

constexpr std::array<KidSpec, 6> kPhaseKids = {{
    {XuiPushButton, "Close", "Close", "Closes this window.", 2, 2, 50, 18},
    {XuiPushButton, "All", "All", "Select all.", 54, 2, 50, 18},
    {XuiPushButton, "None", "None", "Clears all selections.", 106, 2, 50, 18},
    {XuiPushButton, "Solid", "Solid", "Show solid phase laser media.", 2, 27, 50, 18},
    {XuiPushButton, "Liquid", "Liquid", "Show liquid phase laser media.", 54, 27, 50, 18},
    {XuiPushButton, "Gas", "Gas", "Show gas phase laser media.", 106, 27, 50, 18},
}};

void createPhaseKids(std::int32_t grid, std::int32_t window) {
    createKids(kPhaseKids, grid, window, Type);
}

void phaseDesignSize(std::int32_t& width, std::int32_t& height) {
    width = kPhaseWidth;
    height = kPhaseHeight;
}

constexpr GridTypeDescriptor kPhaseDescriptor = {"Type",
                                                 phaseDesignSize,
                                                 0,
                                                 {93, 0, 0, 124},
                                                 false,
                                                 createPhaseKids,
                                                 storedPlacement<PhaseRecord>};

// Sets every medium of a known phase from its phase's flag; media of any other phase keep theirs.
// Every toggle is set, changed or not.
void apply() {
    TransitionDatabase& db = program.database;
    for (std::int32_t i = 1; i <= db.mediumCount; ++i) {
        const std::string_view phase = db.media[i].phase();
        if (phase == "solid")
            db.mediumSelected[i] = program.solidShown;
        else if (phase == "liquid")
            db.mediumSelected[i] = program.liquidShown;
        else if (phase == "gas")
            db.mediumSelected[i] = program.gasShown;
        setMediumToggle(i, db.mediumSelected[i] != 0);
    }
    DrawSpectrum(program.view.viewCentre, program.view.viewWidth);
    if (program.view.autoZoom == 1) zoomAll();
}

}  // namespace

std::int32_t Type(std::int32_t& grid, std::int32_t& message, std::int32_t& v0, std::int32_t& v1,
                  std::int32_t& v2, std::int32_t& v3, std::int32_t& r0, std::int32_t& r1) {
    return runGridFunction(kPhaseDescriptor, program.gridTypes[PhaseRecord], Type, grid, message,
                           v0, v1, v2, v3, r0, r1);
}

std::int32_t TypeCallback(std::int32_t& grid, std::int32_t& message, std::int32_t&, std::int32_t&,
                          std::int32_t&, std::int32_t& v3, std::int32_t& r0, std::int32_t& r1) {
    const std::int32_t m = callbackMessage(message, r1);
    if (m == 0) return 0;
    if (m == msg.CloseWindow) {
        XuiSend(grid, msg.HideWindow);
        return 0;
    }
    if (m != msg.Selection) return 0;
    switch (r0) {
        case 0:
            XstLog("Type");
            break;
        case CloseKid:
            XuiCall(XuiHideWindow, program.phaseWindow, msg.HideWindow);
            break;
        case AllKid:
            program.solidShown = program.liquidShown = program.gasShown = 1;
            apply();
            break;
        case NoneKid:
            program.solidShown = program.liquidShown = program.gasShown = 0;
            apply();
            break;
        case SolidKid:
        case LiquidKid:
        case GasKid: {
            if (v3 == 0) break;
            std::int32_t& flag = r0 == SolidKid    ? program.solidShown
                                 : r0 == LiquidKid ? program.liquidShown
                                                   : program.gasShown;
            flag = 1 - flag;
            apply();
            break;
        }
        default:
            break;
    }
    return 0;
}

}  // namespace quorvanta
