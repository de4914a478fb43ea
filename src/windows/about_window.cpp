// The About window: the program's picture with the version, the database's size, the displayable
// range and whether every transition lies inside it.

#include <array>
#include <string>

#include "core/program.h"
#include "toolkit/gui_names.h"
#include "windows/kids.h"
#include "windows/windows.h"

namespace quorvanta {

namespace {

constexpr std::int32_t kAboutWidth = 640;
constexpr std::int32_t kAboutHeight = 504;
// Centred windows stand this much above the vertical centre.
constexpr std::int32_t kAboutLift = 50;
constexpr std::int32_t kTextColour = 124;
constexpr std::int32_t kTextCentreX = 320;
constexpr std::int32_t kFirstLineY = 175;
constexpr std::int32_t kLineSpacing = 12;

constexpr std::array<KidSpec, 1> kAboutKids = {{
    {XuiPushButton, "OK", "OK", nullptr, 300, 482, 40, 20},
}};

void createAboutKids(std::int32_t grid, std::int32_t window) {
    createKids(kAboutKids, grid, window, About);
}

void aboutDesignSize(std::int32_t& width, std::int32_t& height) {
    width = kAboutWidth;
    height = kAboutHeight;
}

constexpr GridTypeDescriptor kAboutDescriptor = {"About",
                                                 aboutDesignSize,
                                                 kAboutLift,
                                                 {0, 0, 0, 124},
                                                 false,
                                                 createAboutKids,
                                                 storedPlacement<AboutRecord>};

void paintAbout(std::int32_t grid) {
    XgrDrawImage(grid, program.programImage, 0, 0, 640, 480, 0, 0);
    const std::array<std::string, 11> lines = aboutLines();
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const auto length = static_cast<std::int32_t>(lines[i].size());
        XgrSetDrawpoint(grid, kTextCentreX - 4 * length,
                        kFirstLineY + kLineSpacing * static_cast<std::int32_t>(i));
        XgrDrawTextFill(grid, kTextColour, lines[i]);
    }
}

}  // namespace

std::array<std::string, 11> aboutLines() {
    const TransitionDatabase& db = program.database;
    const SpectrumView& v = program.view;
    std::array<std::string, 11> lines;
    lines[1] = std::string("Version ") + kVersion + kMakersNotice;
    lines[2] = "Database contains " + std::to_string(db.transitionCount) +
               " discrete transitions in " + std::to_string(db.mediumCount) + " media.";
    lines[3] = "Maximum displayable range from " + std::to_string(v.lowerBound) +
               " nanometers to " + std::to_string(v.upperBound / 1000) + " microns.";
    lines[4] = db.minWavelength < v.lowerBound || db.maxWavelength > v.upperBound
                   ? "Not all transitions in database are within displayable range."
                   : "All transitions in database are within displayable range.";
    lines[8] = "All inquiries should be directed to the Quorvanta maintainers.";
    lines[9] = "Sources of the catalogue: data/SOURCES.md";
    lines[10] = "For more information please view the readme file.";
    return lines;
}

std::int32_t About(std::int32_t& grid, std::int32_t& message, std::int32_t& v0, std::int32_t& v1,
                   std::int32_t& v2, std::int32_t& v3, std::int32_t& r0, std::int32_t& r1) {
    return runGridFunction(kAboutDescriptor, program.gridTypes[AboutRecord], About, grid, message,
                           v0, v1, v2, v3, r0, r1);
}

std::int32_t AboutCallback(std::int32_t& grid, std::int32_t& message, std::int32_t&, std::int32_t&,
                           std::int32_t&, std::int32_t&, std::int32_t& r0, std::int32_t& r1) {
    const std::int32_t m = callbackMessage(message, r1);
    // Every message repaints the window first.
    paintAbout(grid);
    if (m == 0) return 0;
    if (m == msg.Selection && r0 == 1)
        XuiCall(XuiHideWindow, program.aboutWindow, msg.HideWindow);
    else if (m == msg.CloseWindow)
        XuiSend(grid, msg.HideWindow);
    return 0;
}

}  // namespace quorvanta
