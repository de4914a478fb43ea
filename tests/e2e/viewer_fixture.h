// What the end-to-end tests share: the real quorvanta binary started in a temporary folder on a
// display of its own, the places of its windows and kids, and ways to click them and to read the
// screen, the exit status and the settings file it leaves behind.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "child_process.h"
#include "common/temp_dir.h"
#include "virtual_display.h"

namespace quorvanta::e2e {

inline constexpr auto kWindowTimeout = 10s;
inline constexpr auto kExitTimeout = 10s;
inline constexpr auto kPollStep = 20ms;

inline const std::string kMainTitle = "Quorvanta 132 beta";
inline const std::string kAboutTitle = "About Quorvanta - version 132 beta";
inline const std::string kMediaTitle = "Select By Laser Medium";
inline const std::string kPhaseTitle = "Select By Phase";

// Window sizes, and kids in their window's coordinates.
inline constexpr int kMainWidth = 1000, kMainHeight = 700;
inline constexpr int kAboutWidth = 640, kAboutHeight = 504;
inline constexpr int kAboutRaise = 50;  // pixels above the centred position
inline constexpr int kMediaHeight = 402;
inline constexpr int kPhaseWidth = 200, kPhaseHeight = 47;

inline constexpr Rect kQuitButton{5, 679, 73, 20};
inline constexpr Rect kAboutButton{925, 679, 73, 20};
inline constexpr Rect kMaxZoomButton{202, 679, 73, 20};
inline constexpr Rect kMinZoomButton{277, 679, 73, 20};
inline constexpr Rect kVisibleButton{502, 679, 73, 20};
inline constexpr Rect kZoomAllButton{352, 679, 73, 20};
inline constexpr Rect kLinLogButton{662, 679, 73, 20};
inline constexpr Rect kAutoZoomToggle{352, 657, 73, 20};
inline constexpr Rect kAvailableButton{577, 679, 83, 20};
inline constexpr Rect kAutoAvailToggle{577, 657, 83, 20};
inline constexpr Rect kClearButton{427, 679, 73, 20};
inline constexpr Rect kHorizontalBar{0, 601, 1000, 15};
inline constexpr Rect kVerticalBar{985, 0, 15, 500};
inline constexpr Rect kSelectByMediumButton{425, 619, 110, 20};
inline constexpr Rect kSelectByPhaseButton{5, 619, 110, 20};

inline constexpr Rect kAboutOkButton{300, 482, 40, 20};

inline constexpr Rect kMediaCloseButton{2, 2, 50, 18};
inline constexpr Rect kMediaAllButton{56, 2, 40, 18};
inline constexpr Rect kMediaNoneButton{99, 2, 50, 18};

inline constexpr Rect kPhaseCloseButton{2, 2, 50, 18};
inline constexpr Rect kPhaseAllButton{54, 2, 50, 18};
inline constexpr Rect kPhaseNoneButton{106, 2, 50, 18};
inline constexpr Rect kSolidButton{2, 27, 50, 18};
inline constexpr Rect kLiquidButton{54, 27, 50, 18};
inline constexpr Rect kGasButton{106, 27, 50, 18};

// A point of the main window's button panel that no kid covers: painted once the window is.
inline constexpr int kPanelX = 992, kPanelY = 640;

// Media per column of toggles in the medium selection window, and a column's width.
inline constexpr int kMediaPerColumn = 20, kMediaColumnWidth = 150;

// The toggle of medium i (1-based) in the medium selection window.
constexpr Rect mediumToggle(int medium) {
    return {kMediaColumnWidth * (medium / kMediaPerColumn) + 2, 20 * (medium % kMediaPerColumn) + 2,
            147, 18};
}

inline int mediaWindowWidth(int mediumCount) {
    return (mediumCount / kMediaPerColumn + 1) * kMediaColumnWidth + 2;
}

// Where a window with no stored position stands on the screen.
inline Rect centred(int width, int height, int raise = 0) {
    return {VirtualDisplay::kWidth / 2 - width / 2,
            VirtualDisplay::kHeight / 2 - height / 2 - raise, width, height};
}

inline constexpr std::size_t kSettingsSize = 64;
inline constexpr std::int32_t kNoPosition = -1;

// The four placement records of a settings file (main, About, medium selection, phase
// selection), each x, y, width, height as little-endian 32-bit integers.
using Placements = std::array<Rect, 4>;
Placements placementsIn(const std::vector<std::uint8_t>& bytes);
std::vector<std::uint8_t> settingsBytes(const Placements& records);

// The medium count from a catalogue's header.
int mediumCountOf(const std::filesystem::path& catalogue);

// Rows of the plot area just above the colour band, where every line of a selected medium ends;
// the vertical scroll bar takes the columns from 985 on.
inline constexpr int kPlotTop = 400, kPlotBottom = 520, kPlotRight = 985;

// Columns of the plot area (main-window x) holding a white vertical run of at least 15 pixels:
// the lines of the selected media. No glyph of a label is that tall.
std::vector<int> lineColumns(const Screenshot& screen, const Rect& main);

template <class Condition>
bool waitUntil(Condition condition, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(kPollStep);
    }
    return true;
}

// Calls its action at the first failure of a test, while the screen still shows what went wrong.
class ScreenAtFirstFailure : public ::testing::EmptyTestEventListener {
  public:
    explicit ScreenAtFirstFailure(std::function<void()> action) : action_(std::move(action)) {}
    void OnTestPartResult(const ::testing::TestPartResult& result) override;

  private:
    std::function<void()> action_;
    bool taken_ = false;
};

class ViewerEndToEnd : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    std::filesystem::path runFolder() const { return folder_ / "run"; }
    std::filesystem::path settingsFile() const { return runFolder() / "Quorvanta.ini"; }
    std::filesystem::path viewerLog() const { return folder_ / "viewer.log"; }

    void installShippedCatalogue();
    // A catalogue of the test's own; the windows are then sized for its media.
    void installCatalogue(std::span<const std::uint8_t> bytes);

    Placements expectedCentredPlacements() const;

    // Starts the viewer in the run folder; returns its main window once it is shown and painted.
    WindowId startViewer();
    // The same for any command that starts the viewer, in any folder, with more variables set.
    WindowId startViewerWith(const std::filesystem::path& program,
                             const std::vector<std::string>& arguments,
                             const std::filesystem::path& workingDirectory,
                             const EnvironmentChanges& environment);
    // The one visible window with this title, once it is shown; 0 (and a failure) otherwise.
    WindowId waitForWindow(const std::string& title);
    bool waitUntilHidden(const std::string& title);
    // Every medium selected with the phase window's All, the window closed again; false on failure.
    bool selectEveryMedium(WindowId main);
    Rect geometryOf(WindowId window) const { return windows_->geometry(window).value_or(Rect{}); }

    // Clicks the middle of a kid, given in its window's coordinates.
    void clickKid(WindowId window, const Rect& kid);
    // A window's point in screen coordinates.
    Point onScreen(WindowId window, int x, int y) const;

    // The viewer's ending; a failure, and nullopt, when it still runs after the timeout.
    std::optional<Ending> waitForViewerEnd();
    void expectExitedWithZero(const std::optional<Ending>& ending);
    // Quit, a zero exit status and a settings file: how every test that gets that far ends.
    void quitWithZero(WindowId main);

    // The settings file the viewer left: exactly 64 bytes, and no temporary file beside it.
    std::optional<Placements> writtenPlacements();
    void expectPlacements(const Placements& actual, const Placements& expected);

    // Visible top-level windows other than the four of the viewer.
    std::vector<std::string> otherWindowTitles() const;

    std::string artifactName_;
    std::unique_ptr<ScreenAtFirstFailure> firstFailure_;
    quorvanta::testing::TempDir folder_;
    std::unique_ptr<VirtualDisplay> display_;
    std::unique_ptr<DisplayWindows> windows_;
    std::unique_ptr<ChildProcess> viewer_;
    int mediumCount_ = 0;

  private:
    void keepScreenshot();
    void keepViewerOutput();
};

}  // namespace quorvanta::e2e
