// The real quorvanta binary, end to end: each test starts it in a temporary folder on a display of
// its own, clicks it with xdotool like a user, and reads the screen, the exit status and the
// settings file it leaves behind.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "child_process.h"
#include "common/temp_dir.h"
#include "virtual_display.h"

namespace quorvanta::e2e {
namespace {

using quorvanta::testing::readBytes;
using quorvanta::testing::TempDir;
using quorvanta::testing::writeFile;
using Clock = std::chrono::steady_clock;

constexpr auto kWindowTimeout = 10s;
constexpr auto kExitTimeout = 10s;
constexpr auto kPollStep = 20ms;

const std::string kMainTitle = "Quorvanta 132 beta";
const std::string kAboutTitle = "About Quorvanta - version 132 beta";
const std::string kMediaTitle = "Select By Laser Medium";
const std::string kPhaseTitle = "Select By Phase";

// Window sizes, and kids in their window's coordinates.
constexpr int kMainWidth = 1000, kMainHeight = 700;
constexpr int kAboutWidth = 640, kAboutHeight = 504;
constexpr int kAboutRaise = 50;  // pixels above the centred position
constexpr int kMediaHeight = 402;
constexpr int kPhaseWidth = 200, kPhaseHeight = 47;
constexpr Rect kQuitButton{5, 679, 73, 20};
constexpr Rect kAboutButton{925, 679, 73, 20};
constexpr Rect kSelectByMediumButton{425, 619, 110, 20};
constexpr Rect kSelectByPhaseButton{5, 619, 110, 20};
constexpr Rect kAboutOkButton{300, 482, 40, 20};
constexpr Rect kMediaCloseButton{2, 2, 50, 18};
constexpr Rect kPhaseAllButton{54, 2, 50, 18};

// A point of the main window's button panel that no kid covers: painted once the window is.
constexpr int kPanelX = 992, kPanelY = 640;
// Rows of the plot area just above the colour band, where every line of a selected medium ends;
// the vertical scroll bar takes the columns from 985 on.
constexpr int kPlotTop = 400, kPlotBottom = 520, kPlotRight = 985;
// Longer than any glyph of a label, so only a line makes a white run this long.
constexpr int kLineRun = 15;
constexpr Rgb kWhite{255, 255, 255};

// Media per column of toggles in the medium selection window, and a column's width.
constexpr int kMediaPerColumn = 20, kMediaColumnWidth = 150;

constexpr std::size_t kSettingsSize = 64;
constexpr std::int32_t kNoPosition = -1;

int mediaWindowWidth(int mediumCount) {
    return (mediumCount / kMediaPerColumn + 1) * kMediaColumnWidth + 2;
}

// Where a window with no stored position stands on the screen.
Rect centred(int width, int height, int raise = 0) {
    return {VirtualDisplay::kWidth / 2 - width / 2,
            VirtualDisplay::kHeight / 2 - height / 2 - raise, width, height};
}

// The medium count from the catalogue's header: a little-endian 16-bit field at offset 2.
int mediumCountOf(const std::filesystem::path& catalogue) {
    const std::vector<std::uint8_t> bytes = readBytes(catalogue);
    if (bytes.size() < 4) return 0;
    return bytes[2] | bytes[3] << 8;
}

// The four placement records of a settings file (main, About, medium selection, phase
// selection), each x, y, width, height as little-endian 32-bit integers.
using Placements = std::array<Rect, 4>;

Placements placementsIn(const std::vector<std::uint8_t>& bytes) {
    auto int32At = [&](std::size_t offset) {
        return static_cast<std::int32_t>(
            std::uint32_t{bytes[offset]} | std::uint32_t{bytes[offset + 1]} << 8 |
            std::uint32_t{bytes[offset + 2]} << 16 | std::uint32_t{bytes[offset + 3]} << 24);
    };
    Placements records;
    for (std::size_t i = 0; i < records.size(); ++i)
        records[i] = {int32At(16 * i), int32At(16 * i + 4), int32At(16 * i + 8),
                      int32At(16 * i + 12)};
    return records;
}

std::vector<std::uint8_t> settingsBytes(const Placements& records) {
    std::vector<std::uint8_t> bytes;
    for (const Rect& r : records)
        for (const std::int32_t value : {r.x, r.y, r.width, r.height})
            for (int shift = 0; shift < 32; shift += 8)
                bytes.push_back(
                    static_cast<std::uint8_t>(static_cast<std::uint32_t>(value) >> shift));
    return bytes;
}

template <class Condition>
bool waitUntil(Condition condition, std::chrono::milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    while (!condition()) {
        if (Clock::now() >= deadline) return false;
        std::this_thread::sleep_for(kPollStep);
    }
    return true;
}

// Calls its action at the first failure of a test, while the screen still shows what went wrong.
class ScreenAtFirstFailure : public ::testing::EmptyTestEventListener {
  public:
    explicit ScreenAtFirstFailure(std::function<void()> action) : action_(std::move(action)) {}
    void OnTestPartResult(const ::testing::TestPartResult& result) override {
        if (!result.failed() || taken_) return;
        taken_ = true;
        action_();
    }

  private:
    std::function<void()> action_;
    bool taken_ = false;
};

class ViewerEndToEnd : public ::testing::Test {
  protected:
    void SetUp() override {
        // Named now: the failure listener runs while gtest holds the lock that the current
        // test's name is read under.
        const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
        artifactName_ = std::string(test->test_suite_name()) + "." + test->name();
        firstFailure_ = std::make_unique<ScreenAtFirstFailure>([this] { keepScreenshot(); });
        ::testing::UnitTest::GetInstance()->listeners().Append(firstFailure_.get());
        if (!findOnPath("Xvfb"))
            GTEST_SKIP() << "Xvfb is not installed (Debian package xvfb): no X display to run "
                            "the viewer on";
        if (!findOnPath("xdotool"))
            GTEST_SKIP() << "xdotool is not installed (Debian package xdotool): nothing to "
                            "click the viewer with";
        std::filesystem::create_directories(runFolder());
        display_ = std::make_unique<VirtualDisplay>(folder_ / "x");
        windows_ = std::make_unique<DisplayWindows>(display_->name());
        mediumCount_ = mediumCountOf(QUORVANTA_CATALOGUE);
        ASSERT_GT(mediumCount_, 0) << "no media in " << QUORVANTA_CATALOGUE;
    }

    void TearDown() override {
        ::testing::UnitTest::GetInstance()->listeners().Release(firstFailure_.get());
        if (HasFailure() && display_) keepViewerOutput();
        viewer_.reset();
        display_.reset();
    }

    // The screen as it was when the test first failed, kept where the build folder collects
    // them.
    void keepScreenshot() {
        if (!display_) return;
        const std::filesystem::path path =
            std::filesystem::path(QUORVANTA_E2E_ARTIFACTS) / (artifactName_ + ".png");
        try {
            std::filesystem::create_directories(path.parent_path());
            display_->grab().savePng(path);
            std::cerr << "screenshot at the first failure: " << path.string() << "\n";
        } catch (const std::exception& e) {
            std::cerr << "no screenshot: " << e.what() << "\n";
        }
    }

    void keepViewerOutput() {
        const std::filesystem::path path =
            std::filesystem::path(QUORVANTA_E2E_ARTIFACTS) / (artifactName_ + ".log");
        std::error_code ignored;
        std::filesystem::create_directories(path.parent_path(), ignored);
        std::filesystem::copy_file(viewerLog(), path,
                                   std::filesystem::copy_options::overwrite_existing, ignored);
    }

    std::filesystem::path runFolder() const { return folder_ / "run"; }
    std::filesystem::path settingsFile() const { return runFolder() / "Quorvanta.ini"; }
    std::filesystem::path viewerLog() const { return folder_ / "viewer.log"; }

    void installShippedCatalogue() {
        std::filesystem::copy_file(QUORVANTA_CATALOGUE, runFolder() / "wavelength.dat");
    }

    Placements expectedCentredPlacements() const {
        return {centred(kMainWidth, kMainHeight), centred(kAboutWidth, kAboutHeight, kAboutRaise),
                centred(mediaWindowWidth(mediumCount_), kMediaHeight),
                centred(kPhaseWidth, kPhaseHeight)};
    }

    // Starts the viewer in the run folder; returns its main window once it is shown and painted.
    WindowId startViewer() {
        const std::filesystem::path runtime = folder_ / "runtime";
        std::filesystem::create_directories(runtime);
        ::chmod(runtime.c_str(), 0700);
        ProcessOptions options;
        options.program = QUORVANTA_VIEWER;
        options.workingDirectory = runFolder();
        options.environment = {
            {"DISPLAY", display_->name()},     {"QT_QPA_PLATFORM", "xcb"},
            {"QT_SCALE_FACTOR", "1"},          {"QT_SCREEN_SCALE_FACTORS", ""},
            {"QT_ENABLE_HIGHDPI_SCALING", ""}, {"XDG_RUNTIME_DIR", runtime.string()}};
        options.outputFile = viewerLog();
        viewer_ = std::make_unique<ChildProcess>(options);
        const WindowId main = waitForWindow(kMainTitle);
        if (main != 0) {
            const Rect at = windows_->geometry(main).value_or(Rect{});
            const bool painted = waitUntil(
                [&] { return display_->grab().at(at.x + kPanelX, at.y + kPanelY) != Rgb{}; },
                kWindowTimeout);
            EXPECT_TRUE(painted) << "the main window at " << at << " never painted its panel";
        }
        return main;
    }

    // The one visible window with this title, once it is shown; 0 (and a failure) otherwise.
    WindowId waitForWindow(const std::string& title) {
        std::vector<WindowId> found;
        const bool shown = waitUntil(
            [&] {
                if (viewer_ && !viewer_->running()) return true;
                found = windows_->visible(title);
                return !found.empty();
            },
            kWindowTimeout);
        if (viewer_ && !viewer_->running()) {
            ADD_FAILURE() << "the viewer ended (" << viewer_->waitForEnd(0ms)->describe()
                          << ") while waiting for \"" << title << "\"; its output:\n"
                          << quorvanta::testing::readText(viewerLog());
            return 0;
        }
        if (!shown) {
            ADD_FAILURE() << "no visible window \"" << title << "\" after "
                          << std::chrono::seconds(kWindowTimeout).count() << " s";
            return 0;
        }
        EXPECT_EQ(found.size(), 1u) << "visible windows titled \"" << title << "\"";
        return found.front();
    }

    bool waitUntilHidden(const std::string& title) {
        return waitUntil([&] { return windows_->visible(title).empty(); }, kWindowTimeout);
    }

    Rect geometryOf(WindowId window) const { return windows_->geometry(window).value_or(Rect{}); }

    // Clicks the middle of a kid, given in its window's coordinates.
    void clickKid(WindowId window, const Rect& kid) {
        const Rect at = geometryOf(window);
        windows_->click(at.x + kid.x + kid.width / 2, at.y + kid.y + kid.height / 2);
    }

    // The viewer's ending; a failure, and nullopt, when it still runs after the timeout.
    std::optional<Ending> waitForViewerEnd() {
        const std::optional<Ending> ending = viewer_->waitForEnd(kExitTimeout);
        if (!ending) ADD_FAILURE() << "the viewer still runs " << kExitTimeout.count() << " s on";
        return ending;
    }

    void expectExitedWithZero(const std::optional<Ending>& ending) {
        ASSERT_TRUE(ending.has_value());
        EXPECT_TRUE(ending->exited && ending->status == 0)
            << ending->describe() << "; viewer output:\n"
            << quorvanta::testing::readText(viewerLog());
    }

    // The settings file the viewer left: exactly 64 bytes, and no temporary file beside it.
    std::optional<Placements> writtenPlacements() {
        if (!std::filesystem::exists(settingsFile())) {
            ADD_FAILURE() << "no " << settingsFile().filename() << " written";
            return std::nullopt;
        }
        const std::vector<std::uint8_t> bytes = readBytes(settingsFile());
        EXPECT_EQ(bytes.size(), kSettingsSize) << "size of the settings file";
        for (const auto& entry : std::filesystem::directory_iterator(runFolder())) {
            const std::string name = entry.path().filename().string();
            EXPECT_FALSE(name != "Quorvanta.ini" && name.starts_with("Quorvanta.ini"))
                << "left over beside the settings file: " << name;
        }
        if (bytes.size() < kSettingsSize) return std::nullopt;
        return placementsIn(bytes);
    }

    void expectPlacements(const Placements& actual, const Placements& expected) {
        static const std::array<const char*, 4> kRecordNames = {"main", "About", "medium selection",
                                                                "phase selection"};
        for (std::size_t i = 0; i < actual.size(); ++i)
            EXPECT_EQ(actual[i], expected[i])
                << "record " << i + 1 << " (" << kRecordNames[i] << " window)";
    }

    // Visible top-level windows other than the four of the viewer.
    std::vector<std::string> otherWindowTitles() const {
        std::vector<std::string> titles;
        for (const WindowId window : windows_->allVisible()) {
            const std::string title = windows_->title(window);
            if (title != kMainTitle && title != kAboutTitle && title != kMediaTitle &&
                title != kPhaseTitle)
                titles.push_back(title);
        }
        return titles;
    }

    std::string artifactName_;
    std::unique_ptr<ScreenAtFirstFailure> firstFailure_;
    TempDir folder_;
    std::unique_ptr<VirtualDisplay> display_;
    std::unique_ptr<DisplayWindows> windows_;
    std::unique_ptr<ChildProcess> viewer_;
    int mediumCount_ = 0;
};

// Columns of the plot area (main-window x) holding a white vertical run of at least kLineRun
// pixels: the lines of the selected media.
std::vector<int> lineColumns(const Screenshot& screen, const Rect& main) {
    std::vector<int> columns;
    for (int x = 0; x < kPlotRight; ++x) {
        int run = 0, longest = 0;
        for (int y = kPlotTop; y <= kPlotBottom; ++y) {
            run = screen.at(main.x + x, main.y + y) == kWhite ? run + 1 : 0;
            longest = std::max(longest, run);
        }
        if (longest >= kLineRun) columns.push_back(x);
    }
    return columns;
}

TEST_F(ViewerEndToEnd, QuitButtonExitsWithZeroAndWritesAllFourPlacements) {
    installShippedCatalogue();
    const WindowId main = startViewer();
    ASSERT_NE(main, 0u);
    EXPECT_EQ(geometryOf(main), centred(kMainWidth, kMainHeight))
        << "with no settings file the main window stands centred";

    clickKid(main, kQuitButton);
    expectExitedWithZero(waitForViewerEnd());
    const std::optional<Placements> written = writtenPlacements();
    ASSERT_TRUE(written.has_value());
    // Windows never shown report where they would have stood: centred.
    expectPlacements(*written, expectedCentredPlacements());
}

// The main window's close control ends the program like Quit, instead of leaving it running with
// no window to show or end it.
TEST_F(ViewerEndToEnd, ClosingTheMainWindowQuitsLikeTheQuitButton) {
    if (!DisplayWindows::canRequestClose())
        GTEST_SKIP() << "built without xcb (Debian package libxcb1-dev): no way to send the "
                        "close request a window manager sends";
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
TEST_F(ViewerEndToEnd, ClosingASecondaryWindowOnlyHidesIt) {
    if (!DisplayWindows::canRequestClose())
        GTEST_SKIP() << "built without xcb (Debian package libxcb1-dev): no way to send the "
                        "close request a window manager sends";
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

TEST_F(ViewerEndToEnd, TruncatedCatalogueShowsAWarningAndStillQuits) {
    const std::vector<std::uint8_t> catalogue = readBytes(QUORVANTA_CATALOGUE);
    writeFile(runFolder() / "wavelength.dat", std::span(catalogue.data(), catalogue.size() / 2));
    const WindowId main = startViewer();
    ASSERT_NE(main, 0u);

    std::vector<std::string> others;
    EXPECT_TRUE(waitUntil(
        [&] {
            others = otherWindowTitles();
            return !others.empty();
        },
        kWindowTimeout))
        << "no warning window beside the main window";
    for (const std::string& title : others)
        std::cout << "warning window: \"" << title << "\"\n";

    clickKid(main, kQuitButton);
    expectExitedWithZero(waitForViewerEnd());
    const std::optional<Placements> written = writtenPlacements();
    ASSERT_TRUE(written.has_value());
    EXPECT_EQ((*written)[0], centred(kMainWidth, kMainHeight));
}

TEST_F(ViewerEndToEnd, MissingCatalogueStartsOnTheBuiltInOneWithoutWarning) {
    const WindowId main = startViewer();
    ASSERT_NE(main, 0u);
    // A warning would have been shown before the main window was first painted.
    const std::vector<std::string> others = otherWindowTitles();
    EXPECT_TRUE(others.empty()) << "unexpected window \"" << others.front() << "\"";

    clickKid(main, kQuitButton);
    expectExitedWithZero(waitForViewerEnd());
    const std::optional<Placements> written = writtenPlacements();
    ASSERT_TRUE(written.has_value());
    // The built-in catalogue is the shipped one: the medium window has the same width.
    expectPlacements(*written, expectedCentredPlacements());
}

TEST_F(ViewerEndToEnd, TenByteSettingsFileStartsCentred) {
    installShippedCatalogue();
    // The main record's x and y are whole, its width is not: the record counts as missing.
    std::vector<std::uint8_t> bytes = settingsBytes({Rect{200, 100, kMainWidth, kMainHeight}});
    bytes.resize(10);
    writeFile(settingsFile(), bytes);

    const WindowId main = startViewer();
    ASSERT_NE(main, 0u);
    EXPECT_EQ(geometryOf(main), centred(kMainWidth, kMainHeight));

    clickKid(main, kQuitButton);
    expectExitedWithZero(waitForViewerEnd());
    const std::optional<Placements> written = writtenPlacements();
    ASSERT_TRUE(written.has_value());
    expectPlacements(*written, expectedCentredPlacements());
}

}  // namespace
}  // namespace quorvanta::e2e
