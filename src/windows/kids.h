// Making the kids of a window grid from a table.
#pragma once

#include <cstdint>
#include <span>

#include "core/program.h"
#include "toolkit/toolkit.h"

namespace quorvanta {

struct KidSpec {
    GridFunction kind;  // XuiPushButton, XuiToggleButton, XuiScrollBarH or XuiScrollBarV
    const char* name;
    const char* label;  // nullptr: none
    const char* hint;   // nullptr: none
    std::int32_t x, y, width, height;
};

// Every button of the program looks alike: the font, texture and extra colours set here.
inline constexpr std::int32_t kButtonFontSize = 240;
inline constexpr std::int32_t kButtonFontWeight = 400;
inline constexpr const char* kButtonFontFace = "Arial";

// Creates one kid on grid and gives it its callback (to owner's grid function, with its kid
// number), name and, for buttons, font, texture, extra colours, label and hint. Returns the kid.
std::int32_t createKid(const KidSpec& entry, std::int32_t grid, std::int32_t window,
                       GridFunction owner);

// Where a window stands at start-up: its record of the settings file and the display's size.
template <WindowRecordIndex record>
void storedPlacement(std::int32_t& x, std::int32_t& y, std::int32_t& displayWidth,
                     std::int32_t& displayHeight) {
    x = program.storedPositions[record].x;
    y = program.storedPositions[record].y;
    displayWidth = program.displayWidth;
    displayHeight = program.displayHeight;
}

void createKids(std::span<const KidSpec> entries, std::int32_t grid, std::int32_t window,
                GridFunction owner);

}  // namespace quorvanta
