#include "core/startup.h"

#include <string>

#include "core/picture.h"
#include "core/program.h"
#include "core/settings.h"
#include "database/builtin_catalogue.h"
#include "spectrum/renderer.h"
#include "toolkit/gui_names.h"
#include "toolkit/toolkit.h"
#include "windows/windows.h"

namespace quorvanta {

namespace {

// The loop draws the spectrum by itself once, at the start of this pass.
constexpr int kFirstDrawingPass = 2;
constexpr int kCountedPasses = 5;

constexpr std::int32_t kLightGrey = 93;
constexpr std::int32_t kBlack = 0;

bool stateCleared = false;

void setTitle(std::int32_t grid, const std::string& title) {
    const XstText text(title);
    XuiCall(XuiSetWindowTitle, grid, msg.SetWindowTitle, 0, 0, 0, 0, 0, text.number());
}

void hide(std::int32_t grid) {
    XuiCall(XuiHideWindow, grid, msg.HideWindow);
}

// A damaged database is said on the console at once, and to the user once the main window is up.
void reportDatabase(const LoadReport& report) {
    if (report.message.empty()) return;
    XstLog(report.message);
    // A catalogue that is there but cannot be read would otherwise leave an empty viewer with
    // no word of why.
    if (report.damaged || report.status == LoadReport::Status::Unreadable)
        program.databaseWarning = report.message;
}

}  // namespace

void clearProgramState() {
    program = Program{};
    guiNames = GuiNames{};
}

void assignStartValues() {
    SpectrumView& v = program.view;
    v.viewCentre = 575.0;
    v.viewWidth = 450.0;
    v.minWidth = 10.0;
    v.lowerBound = 10;
    v.upperBound = 20000;
    v.maxWidth = v.upperBound - v.lowerBound;
    program.database.maxWavelength = v.lowerBound;
    program.database.minWavelength = v.upperBound;
    v.scale = Logarithmic;
    v.autoZoom = 0;
    v.autoAvail = 0;
    program.solidShown = 0;
    program.liquidShown = 0;
    program.gasShown = 0;
    v.selectedMin = v.upperBound;
    v.selectedMax = v.lowerBound;
}

void loadDatabase() {
    const std::string path = program.programDirectory + kDatabaseFileName;
    LoadReport report = loadTransitionDatabaseFile(path, program.database);
    if (report.status == LoadReport::Status::Missing) {
        const std::span<const std::uint8_t> builtin = builtinCatalogue();
        if (!builtin.empty()) {
            program.database.minWavelength = program.view.upperBound;
            program.database.maxWavelength = program.view.lowerBound;
            loadTransitionDatabase(builtin, "built-in catalogue", program.database);
            report.message = "Quorvanta: no " + path + "; showing the built-in catalogue (" +
                             std::to_string(program.database.mediumCount) + " media, " +
                             std::to_string(program.database.transitionCount) + " lines).";
        }
    }
    reportDatabase(report);
}

void initialiseProgram() {
    std::int32_t borderWidth = 0, titleHeight = 0;
    XgrGetDisplaySize("", program.displayWidth, program.displayHeight, borderWidth, titleHeight);
    XstHideConsole();
    XuiHelpDisable();
    assignStartValues();
    program.programDirectory = XstGetCurrentDirectory();
    program.quitOperation = quitProgram;
    readSettings();
    loadDatabase();
}

void windowSetUp() {
    setTitle(program.mainWindow, std::string(kProgramName) + " " + kVersion);
    hide(program.aboutWindow);
    setTitle(program.aboutWindow, std::string("About Quorvanta - version ") + kVersion);
    hide(program.mediaWindow);
    setTitle(program.mediaWindow, "Select By Laser Medium");
    hide(program.phaseWindow);
    setTitle(program.phaseWindow, "Select By Phase");
    XgrSetBackgroundColor(program.mainWindow, kLightGrey);
    XgrSetBackgroundColor(program.aboutWindow, kBlack);
    XgrSetBackgroundColor(program.phaseWindow, kLightGrey);
    hide(program.findWindow);
    setTitle(program.findWindow, "Find");
    XgrSetBackgroundColor(program.findWindow, kLightGrey);
    loadProgramPicture();
}

bool startUp() {
    if (!stateCleared) {
        clearProgramState();
        stateCleared = true;
    }
    if (program.entered) return false;
    program.entered = 1;
    RegisterGuiNames();
    initialiseProgram();
    createWindows();
    windowSetUp();
    XgrSetCEO(PointerFilter);
    if (!program.databaseWarning.empty())
        XuiShowWarning(program.mainWindow, "Quorvanta - damaged database", program.databaseWarning);
    return true;
}

void messageLoopPass() {
    if (program.passCount < kCountedPasses) {
        if (program.passCount == kFirstDrawingPass)
            DrawSpectrum(program.view.viewCentre, program.view.viewWidth);
        ++program.passCount;
    }
    XgrProcessMessages(1);
}

void Entry() {
    if (!startUp()) return;
    for (;;)
        messageLoopPass();
}

}  // namespace quorvanta
