#include "core/settings.h"

#include "core/program.h"
#include "toolkit/gui_names.h"
#include "toolkit/toolkit.h"

namespace quorvanta {

void readSettings() {
    program.storedPositions = readSettingsFile(program.programDirectory + kSettingsFileName);
}

void saveSettings() {
    std::array<WindowPlacement, 4> records;
    const std::array<std::int32_t, 4> windows = {program.mainWindow, program.aboutWindow,
                                                 program.mediaWindow, program.phaseWindow};
    for (std::size_t i = 0; i < windows.size(); ++i) {
        std::int32_t grid = windows[i], message = msg.GetWindowSize, x = 0, y = 0, width = 0,
                     height = 0, r0 = 0, r1 = 0;
        XuiGetWindowSize(grid, message, x, y, width, height, r0, r1);
        records[i] = {x, y, width, height};
    }
    const std::string path = program.programDirectory + kSettingsFileName;
    std::string error;
    if (!writeSettingsFile(path, records, error))
        XstLog("Quorvanta: window positions not saved: " + error);
}

void quitProgram() {
    saveSettings();
    XuiHelpEnable();
    XxxTerminate(0);
}

}  // namespace quorvanta
