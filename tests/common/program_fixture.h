// Starts the real program in-process, in a temporary working folder holding the files a test
// writes, with the real windows on Qt's offscreen platform. Quit is recorded instead of ending
// the test process.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

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
inline void recordQuit() {
    ++quitCount;
}

class ProgramFixture : public ::testing::Test {
  protected:
    void TearDown() override {
        XgrResetToolkit();
        clearProgramState();
        std::filesystem::current_path(startFolder());
    }

    // Starts the program with the given catalogue (none: no wavelength.dat in the folder) and,
    // optionally, a settings file's bytes.
    void start(std::optional<CatalogueImage> catalogue,
               std::optional<std::vector<std::uint8_t>> settings = std::nullopt) {
        startFolder();
        XgrResetToolkit();
        clearProgramState();
        if (catalogue) writeFile(dir_ / "wavelength.dat", catalogue->bytes());
        if (settings) writeFile(dir_ / "Quorvanta.ini", *settings);
        std::filesystem::current_path(dir_.path());
        ASSERT_TRUE(startUp());
        quitCount = 0;
        program.quitOperation = recordQuit;
        auto* main = static_cast<QWidget*>(XuiNativeWidget(program.mainWindow));
        ASSERT_TRUE(QTest::qWaitForWindowExposed(main->window()));
        // The first passes of the loop, which draw the spectrum once by themselves.
        while (program.passCount < 5 && XgrQueuedMessageCount() > 0)
            messageLoopPass();
        processQueued();
    }

    // Hands every queued message to the program, as the loop does.
    static void processQueued() {
        XgrFlushEvents();
        while (XgrQueuedMessageCount() > 0) {
            XgrProcessMessages(1);
            XgrFlushEvents();
        }
    }

    static QWidget* widgetOf(std::int32_t grid) {
        return static_cast<QWidget*>(XuiNativeWidget(grid));
    }

    static void clickKid(std::int32_t window, std::int32_t kid) {
        QWidget* widget = widgetOf(XuiGetKid(window, kid));
        ASSERT_NE(widget, nullptr) << "kid " << kid;
        QTest::mouseClick(widget, Qt::LeftButton);
        processQueued();
    }

    // Sends a scroll bar's message to the main window's callback as the toolkit would.
    static void scrollMessage(std::int32_t kid, std::int32_t message, std::int32_t v0 = 0,
                              std::int32_t v1 = 0, std::int32_t v2 = 0, std::int32_t v3 = 0) {
        XgrQueueMessage(XuiGetKid(program.mainWindow, kid), message, v0, v1, v2, v3, 0, 0);
        processQueued();
    }

    static void setView(double centre, double width, std::int32_t scale) {
        program.view.viewCentre = centre;
        program.view.viewWidth = width;
        program.view.scale = scale;
    }

    static std::uint32_t mainPixel(std::int32_t x, std::int32_t y) {
        std::int32_t r = 0, g = 0, b = 0, colour = 0;
        XgrGrabPoint(program.mainWindow, x, y, r, g, b, colour);
        return XgrColourRGB(colour);
    }

    // The folder the test process started in, taken before any test moved elsewhere.
    static const std::filesystem::path& startFolder() {
        static const std::filesystem::path folder = std::filesystem::current_path();
        return folder;
    }

    TempDir dir_;
};

}  // namespace quorvanta::testing
