// The real quorvanta binary, end to end: starting and quitting, windows opening and closing,
// window positions kept from one run to the next, and bad or missing files.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <iostream>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "viewer_fixture.h"

namespace quorvanta::e2e {
namespace {

using quorvanta::testing::readBytes;
using quorvanta::testing::writeFile;

// Whatever files the folder holds, the viewer starts with its main window centred (no usable
// placement), ends with status 0 on Quit and writes all four placements, centred for windows
// never shown. A damaged catalogue is shown as far as it goes, with a warning window.
TEST_F(ViewerEndToEnd, StartsOnAnyFilesAndQuitsWritingEveryPlacement) {
    const std::vector<std::uint8_t> catalogue = readBytes(QUORVANTA_CATALOGUE);
    // The main record's x and y are whole, its width is not: the record counts as missing.
    std::vector<std::uint8_t> tenBytes = settingsBytes({Rect{200, 100, kMainWidth, kMainHeight}});
    tenBytes.resize(10);
    struct Files {
        const char* name;
        std::optional<std::span<const std::uint8_t>> catalogue;
        std::optional<std::span<const std::uint8_t>> settings;
        bool warning;
    };
    const std::vector<Files> cases = {
        {"the shipped catalogue, no settings file", catalogue, std::nullopt, false},
        // The built-in catalogue is the shipped one: the medium window has the same width.
        {"no catalogue: the built-in one", std::nullopt, std::nullopt, false},
        {"a 10-byte settings file", catalogue, tenBytes, false},
        {"a catalogue cut in half", std::span(catalogue.data(), catalogue.size() / 2), std::nullopt,
         true},
    };
    for (const Files& files : cases) {
        SCOPED_TRACE(files.name);
        std::filesystem::remove_all(runFolder());
        std::filesystem::create_directories(runFolder());
        if (files.catalogue) writeFile(runFolder() / "wavelength.dat", *files.catalogue);
        if (files.settings) writeFile(settingsFile(), *files.settings);

        const WindowId main = startViewer();
        ASSERT_NE(main, 0u);
        EXPECT_EQ(geometryOf(main), centred(kMainWidth, kMainHeight));
        std::vector<std::string> others;
        // A warning is up before the main window is first painted.
        const bool warned = waitUntil(
            [&] {
                others = otherWindowTitles();
                return !others.empty() || !files.warning;
            },
            kWindowTimeout);
        EXPECT_EQ(warned && !others.empty(), files.warning)
            << (others.empty() ? "no warning window" : "a window \"" + others.front() + "\"");

        clickKid(main, kQuitButton);
        expectExitedWithZero(waitForViewerEnd());
        const std::optional<Placements> written = writtenPlacements();
        ASSERT_TRUE(written.has_value());
        expectPlacements(*written, expectedCentredPlacements());
        viewer_.reset();
    }
}

// Tests that close windows as a window manager's close control does.
class CloseRequestEndToEnd : public ViewerEndToEnd {
  protected:
    void SetUp() override {
        ViewerEndToEnd::SetUp();
        if (!DisplayWindows::canRequestClose())
            GTEST_SKIP() << "built without xcb (Debian package libxcb1-dev): no way to send the "
                            "close request a window manager sends";
    }
};

// The main window's close control ends the program like Quit, instead of leaving it running with
// no window to show or end it.
TEST_F(CloseRequestEndToEnd, ClosingTheMainWindowQuitsLikeTheQuitButton) {
    installShippedCatalogue();
    const WindowId main = startViewer();
    ASSERT_NE(main, 0u);
    ASSERT_TRUE(windows_->requestClose(main)) << "cannot send WM_DELETE_WINDOW";

    expectExitedWithZero(waitForViewerEnd());
    const std::optional<Placements> written = writtenPlacements();
    ASSERT_TRUE(written.has_value());
    expectPlacements(*written, expectedCentredPlacements());
}

// Closing a secondary window's frame hides it and leaves the program running.
TEST_F(CloseRequestEndToEnd, ClosingASecondaryWindowOnlyHidesIt) {
    installShippedCatalogue();
    const WindowId main = startViewer();
    ASSERT_NE(main, 0u);

    const std::vector<std::pair<Rect, std::string>> windows = {{kAboutButton, kAboutTitle},
                                                               {kSelectByMediumButton, kMediaTitle},
                                                               {kSelectByPhaseButton, kPhaseTitle}};
    for (const auto& [button, title] : windows) {
        SCOPED_TRACE(title);
        clickKid(main, button);
        const WindowId window = waitForWindow(title);
        ASSERT_NE(window, 0u);
        ASSERT_TRUE(windows_->requestClose(window));
        EXPECT_TRUE(waitUntilHidden(title)) << "still shown after its close request";
        EXPECT_TRUE(viewer_->running() && !windows_->visible(kMainTitle).empty())
            << "closing the window ended the program";
    }

    clickKid(main, kQuitButton);
    expectExitedWithZero(waitForViewerEnd());
    const std::optional<Placements> written = writtenPlacements();
    ASSERT_TRUE(written.has_value());
    expectPlacements(*written, expectedCentredPlacements());
}

TEST_F(ViewerEndToEnd, RestartPutsEveryWindowBackWhereTheSettingsFileSays) {
    installShippedCatalogue();
    const Placements centre = expectedCentredPlacements();
    const Rect mainAt{200, 100, kMainWidth, kMainHeight};
    const Rect mediaAt{600, 500, centre[2].width, kMediaHeight};    // partly off the screen
    const Rect phaseAt{kNoPosition, 5, kPhaseWidth, kPhaseHeight};  // a position, not centring
    // Sizes in the file are ignored on reading; (-1, -1) stores no position.
    writeFile(settingsFile(),
              settingsBytes({Rect{mainAt.x, mainAt.y, 1, 1}, Rect{kNoPosition, kNoPosition, 0, 0},
                             Rect{mediaAt.x, mediaAt.y, 0, 0}, Rect{phaseAt.x, phaseAt.y, 0, 0}}));
    const Placements expected = {mainAt, centre[1], mediaAt, phaseAt};

    // The first run reads the file written above, the second the file the first one wrote.
    for (const int run : {1, 2}) {
        SCOPED_TRACE("run " + std::to_string(run));
        const WindowId main = startViewer();
        ASSERT_NE(main, 0u);
        EXPECT_EQ(geometryOf(main), mainAt);

        clickKid(main, kAboutButton);
        const WindowId about = waitForWindow(kAboutTitle);
        ASSERT_NE(about, 0u);
        EXPECT_EQ(geometryOf(about), expected[1]);
        clickKid(about, kAboutOkButton);
        EXPECT_TRUE(waitUntilHidden(kAboutTitle));

        clickKid(main, kSelectByMediumButton);
        const WindowId media = waitForWindow(kMediaTitle);
        ASSERT_NE(media, 0u);
        EXPECT_EQ(geometryOf(media), mediaAt);

        clickKid(main, kSelectByPhaseButton);
        const WindowId phase = waitForWindow(kPhaseTitle);
        ASSERT_NE(phase, 0u);
        EXPECT_EQ(geometryOf(phase), phaseAt);

        clickKid(main, kQuitButton);
        expectExitedWithZero(waitForViewerEnd());
        const std::optional<Placements> written = writtenPlacements();
        ASSERT_TRUE(written.has_value());
        expectPlacements(*written, expected);
        viewer_.reset();
    }
}

TEST_F(ViewerEndToEnd, EachWindowOpensAndSelectingAllPhasesDrawsLines) {
    installShippedCatalogue();
    const WindowId main = startViewer();
    ASSERT_NE(main, 0u);
    const Rect mainAt = geometryOf(main);
    const Placements centre = expectedCentredPlacements();

    clickKid(main, kAboutButton);
    const WindowId about = waitForWindow(kAboutTitle);
    ASSERT_NE(about, 0u);
    EXPECT_EQ(geometryOf(about), centre[1]);
    clickKid(about, kAboutOkButton);
    EXPECT_TRUE(waitUntilHidden(kAboutTitle)) << "OK leaves the About window shown";

    clickKid(main, kSelectByMediumButton);
    const WindowId media = waitForWindow(kMediaTitle);
    ASSERT_NE(media, 0u);
    EXPECT_EQ(geometryOf(media), centre[2]) << mediumCount_ << " media";
    clickKid(media, kMediaCloseButton);
    EXPECT_TRUE(waitUntilHidden(kMediaTitle)) << "Close leaves the medium window shown";

    clickKid(main, kSelectByPhaseButton);
    const WindowId phase = waitForWindow(kPhaseTitle);
    ASSERT_NE(phase, 0u);
    EXPECT_EQ(geometryOf(phase), centre[3]);

    const std::vector<int> before = lineColumns(display_->grab(), mainAt);
    EXPECT_TRUE(before.empty()) << before.size() << " line columns before any medium is selected";

    clickKid(phase, kPhaseAllButton);
    std::vector<int> after;
    const bool drawn = waitUntil(
        [&] {
            after = lineColumns(display_->grab(), mainAt);
            return !after.empty();
        },
        kWindowTimeout);
    ASSERT_TRUE(drawn) << "no white line in rows " << kPlotTop << ".." << kPlotBottom
                       << " of the main window after All";
    // The start view, 350..800 nm, holds lines of the catalogue on both sides of its middle.
    EXPECT_GE(after.size(), 10u);
    EXPECT_LT(after.front(), kMainWidth / 2);
    EXPECT_GT(after.back(), kMainWidth / 2);

    // Shown and hidden again or still open, every window reports where it stood.
    clickKid(main, kQuitButton);
    expectExitedWithZero(waitForViewerEnd());
    const std::optional<Placements> written = writtenPlacements();
    ASSERT_TRUE(written.has_value());
    expectPlacements(*written, centre);
}

}  // namespace
}  // namespace quorvanta::e2e
