// Starts the real program in-process, in a temporary working folder, with its real windows on
// Qt's offscreen platform, and drives them as a user would. Quit is counted, not carried out.
#pragma once

#include <gtest/gtest.h>

#include <QTest>
#include <QWidget>
#include <filesystem>
#include <optional>
#include <vector>

#include "common/catalogue_image.h"
#include "common/temp_dir.h"
#include "core/program.h"
#include "core/startup.h"
#include "toolkit/gui_names.h"
#include "toolkit/toolkit.h"
#include "windows/windows.h"

namespace quorvanta::testing {

inline int quitCount = 0;

class ProgramFixture : public ::testing::Test {
  public:
    ProgramFixture() { startFolder(); }
    void TearDown() override {
        XgrResetToolkit();
        clearProgramState();
        std::filesystem::current_path(startFolder());
    }
    // Starts on the given catalogue (none: no wavelength.dat) and settings, and runs the loop's
    // first passes, which draw the spectrum once by themselves.
    void start(std::optional<CatalogueImage> catalogue,
               std::optional<std::vector<std::uint8_t>> settings = std::nullopt) {
        XgrResetToolkit();
        clearProgramState();
        if (catalogue) writeFile(dir_ / "wavelength.dat", catalogue->bytes());
        if (settings) writeFile(dir_ / "Quorvanta.ini", *settings);
        std::filesystem::current_path(dir_.path());
        ASSERT_TRUE(startUp());
        quitCount = 0;
        program.quitOperation = [] { ++quitCount; };
        ASSERT_TRUE(QTest::qWaitForWindowExposed(grid()->window()));
        while (program.passCount < 5 && XgrQueuedMessageCount() > 0)
            messageLoopPass();
        processQueued();
    }
    static void processQueued() {
        for (XgrFlushEvents(); XgrQueuedMessageCount() > 0; XgrFlushEvents())
            XgrProcessMessages(1);
    }
    static QWidget* widgetOf(std::int32_t g) { return static_cast<QWidget*>(XuiNativeWidget(g)); }
    static QWidget* grid() { return widgetOf(program.mainWindow); }
    static QWidget* kid(std::int32_t window, std::int32_t k) {
        return widgetOf(XuiGetKid(window, k));
    }
    static void click(std::int32_t window, std::int32_t k) {
        QTest::mouseClick(kid(window, k), Qt::LeftButton);
        processQueued();
    }
    static void key(Qt::Key k, Qt::KeyboardModifiers modifiers = {}) {
        QTest::keyClick(grid()->window(), k, modifiers);
        processQueued();
    }
    static void setView(double centre, double width, std::int32_t scale) {
        program.view.viewCentre = centre;
        program.view.viewWidth = width;
        program.view.scale = scale;
    }
    static std::uint32_t pixel(std::int32_t window, std::int32_t x, std::int32_t y) {
        std::int32_t r = 0, g = 0, b = 0, colour = 0;
        XgrGrabPoint(window, x, y, r, g, b, colour);
        return XgrColourRGB(colour);
    }
    static std::uint32_t mainPixel(std::int32_t x, std::int32_t y) {
        return pixel(program.mainWindow, x, y);
    }
    // The selection per medium, and what its toggle in the medium window shows.
    static std::vector<int> selection() {
        return {program.database.mediumSelected.begin() + 1, program.database.mediumSelected.end()};
    }
    static std::vector<int> toggles() {
        std::vector<int> shown;
        for (int m = 1; m <= program.database.mediumCount; ++m)
            shown.push_back(XuiToggleState(XuiGetKid(program.mediaWindow, mediaToggleOffset + m)));
        return shown;
    }
    static const std::filesystem::path& startFolder() {
        static const std::filesystem::path folder = std::filesystem::current_path();
        return folder;
    }

    TempDir dir_;
};

}  // namespace quorvanta::testing
