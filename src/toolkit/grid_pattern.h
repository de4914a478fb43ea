// The one pattern behind every window's grid function: dispatch, registration of the grid type
// with its design geometry on first use, and the generic CreateWindow, Create, Redrawn, Resize and
// Selection steps. Each window supplies only a small descriptor.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "toolkit/toolkit.h"

namespace quorvanta {

struct GridTypeDescriptor {
    const char* typeName;  // also the grid name and the registered window name
    // Design size; computed at registration, when the database is already loaded.
    void (*designSize)(std::int32_t& width, std::int32_t& height);
    std::int32_t centreLift;  // pixels above the vertical centre when the window is centred
    std::array<std::int32_t, 4> colours;
    bool clearDefaultResize;
    // Creates the window's kids on its new grid, after the grid's name and colours.
    void (*createKids)(std::int32_t grid, std::int32_t window);
    // The saved position of this window (-1, -1: none) and the display size.
    void (*placement)(std::int32_t& savedX, std::int32_t& savedY, std::int32_t& displayWidth,
                      std::int32_t& displayHeight);
};

enum class GridStep : std::uint8_t { None, Create, CreateWindow, Redrawn, Resize, Selection };

// Per grid type, made on the first call of its grid function.
struct GridTypeState {
    bool registered = false;
    std::int32_t gridType = 0;
    std::int32_t x = 0, y = 0, width = 0, height = 0;
    std::int32_t lastMessage = 0;
    std::vector<GridFunction> defaults;
    std::vector<GridStep> steps;
};

// The body of a window's grid function; self is that grid function.
std::int32_t runGridFunction(const GridTypeDescriptor& descriptor, GridTypeState& type,
                             GridFunction self, std::int32_t& grid, std::int32_t& message,
                             std::int32_t& v0, std::int32_t& v1, std::int32_t& v2, std::int32_t& v3,
                             std::int32_t& r0, std::int32_t& r1);

// Design position: the saved one, or centred (integer halves truncated), lifted by centreLift.
void designPosition(std::int32_t savedX, std::int32_t savedY, std::int32_t displayWidth,
                    std::int32_t displayHeight, std::int32_t width, std::int32_t height,
                    std::int32_t centreLift, std::int32_t& x, std::int32_t& y);

// Where a window of the design size stands at start-up: the saved position while it leaves the
// window within reach (XuiWindowReachable); otherwise centred as above, at the size the window is
// shown at (XuiFitWindowSize), and a saved position found out of reach is then kept on screen.
void windowPosition(std::int32_t savedX, std::int32_t savedY, std::int32_t displayWidth,
                    std::int32_t displayHeight, std::int32_t width, std::int32_t height,
                    std::int32_t centreLift, std::int32_t& x, std::int32_t& y);

}  // namespace quorvanta
