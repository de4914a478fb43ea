#include <array>

#include "core/program.h"
#include "toolkit/gui_names.h"
#include "windows/windows.h"

namespace quorvanta {

void createWindows() {
    struct WindowToMake {
        GridFunction gridFunction;
        GridFunction callback;
        std::int32_t* grid;
    };
    const std::array<WindowToMake, 5> windows = {{
        {Quorvanta, MainCallback, &program.mainWindow},
        {About, AboutCallback, &program.aboutWindow},
        {Media, MediaCallback, &program.mediaWindow},
        {Type, TypeCallback, &program.phaseWindow},
        {Find, FindCallback, &program.findWindow},
    }};
    for (const WindowToMake& w : windows) {
        std::int32_t grid = 0, message = msg.CreateWindow, v0 = 0, v1 = 0, v2 = 0, v3 = 0, r0 = 0,
                     r1 = 0;
        w.gridFunction(grid, message, v0, v1, v2, v3, r0, r1);
        XuiSend(grid, msg.SetCallback, grid, XuiFunctionNumber(w.callback), -1, -1, -1);
        XuiSend(grid, msg.Initialize);
        XuiSend(grid, msg.DisplayWindow);
        XuiSend(grid, msg.SetGridProperties, -1);
        *w.grid = grid;
    }
}

}  // namespace quorvanta
