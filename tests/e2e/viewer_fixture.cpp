#include "viewer_fixture.h"

#include <sys/stat.h>

#include <iostream>

namespace quorvanta::e2e {

using quorvanta::testing::readBytes;
using quorvanta::testing::readText;

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

// A little-endian 16-bit field at offset 2.
int mediumCountOf(const std::filesystem::path& catalogue) {
    const std::vector<std::uint8_t> bytes = readBytes(catalogue);
    if (bytes.size() < 4) return 0;
    return bytes[2] | bytes[3] << 8;
}

namespace {
constexpr int kLineRun = 15;
constexpr Rgb kWhite{255, 255, 255};
}  // namespace

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

void ScreenAtFirstFailure::OnTestPartResult(const ::testing::TestPartResult& result) {
    if (!result.failed() || taken_) return;
    taken_ = true;
    action_();
}

void ViewerEndToEnd::SetUp() {
    // Named now: the failure listener runs while gtest holds the lock that the current test's
    // name is read under.
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    artifactName_ = std::string(test->test_suite_name()) + "." + test->name();
    firstFailure_ = std::make_unique<ScreenAtFirstFailure>([this] { keepScreenshot(); });
    ::testing::UnitTest::GetInstance()->listeners().Append(firstFailure_.get());
    if (!findOnPath("Xvfb"))
        GTEST_SKIP() << "Xvfb is not installed (Debian package xvfb): no X display to run the "
                        "viewer on";
    if (!findOnPath("xdotool"))
        GTEST_SKIP() << "xdotool is not installed (Debian package xdotool): nothing to click "
                        "the viewer with";
    std::filesystem::create_directories(runFolder());
    display_ = std::make_unique<VirtualDisplay>(folder_ / "x");
    windows_ = std::make_unique<DisplayWindows>(display_->name());
    mediumCount_ = mediumCountOf(QUORVANTA_CATALOGUE);
    ASSERT_GT(mediumCount_, 0) << "no media in " << QUORVANTA_CATALOGUE;
}

void ViewerEndToEnd::TearDown() {
    ::testing::UnitTest::GetInstance()->listeners().Release(firstFailure_.get());
    if (HasFailure() && display_) keepViewerOutput();
    viewer_.reset();
    display_.reset();
}

// The screen as it was when the test first failed, kept where the build folder collects them.
void ViewerEndToEnd::keepScreenshot() {
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

void ViewerEndToEnd::keepViewerOutput() {
    const std::filesystem::path path =
        std::filesystem::path(QUORVANTA_E2E_ARTIFACTS) / (artifactName_ + ".log");
    std::error_code ignored;
    std::filesystem::create_directories(path.parent_path(), ignored);
    std::filesystem::copy_file(viewerLog(), path, std::filesystem::copy_options::overwrite_existing,
                               ignored);
}

void ViewerEndToEnd::installShippedCatalogue() {
    std::filesystem::copy_file(QUORVANTA_CATALOGUE, runFolder() / "wavelength.dat");
}

void ViewerEndToEnd::installCatalogue(std::span<const std::uint8_t> bytes) {
    quorvanta::testing::writeFile(runFolder() / "wavelength.dat", bytes);
    mediumCount_ = mediumCountOf(runFolder() / "wavelength.dat");
}

Placements ViewerEndToEnd::expectedCentredPlacements() const {
    return {centred(kMainWidth, kMainHeight), centred(kAboutWidth, kAboutHeight, kAboutRaise),
            centred(mediaWindowWidth(mediumCount_), kMediaHeight),
            centred(kPhaseWidth, kPhaseHeight)};
}

WindowId ViewerEndToEnd::startViewer() {
    return startViewerWith(QUORVANTA_VIEWER, {}, runFolder(), {});
}

WindowId ViewerEndToEnd::startViewerWith(const std::filesystem::path& program,
                                         const std::vector<std::string>& arguments,
                                         const std::filesystem::path& workingDirectory,
                                         const EnvironmentChanges& environment) {
    const std::filesystem::path runtime = folder_ / "runtime";
    std::filesystem::create_directories(runtime);
    ::chmod(runtime.c_str(), 0700);
    ProcessOptions options;
    options.program = program;
    options.arguments = arguments;
    options.workingDirectory = workingDirectory;
    options.environment = {
        {"DISPLAY", display_->name()},     {"QT_QPA_PLATFORM", "xcb"},
        {"QT_SCALE_FACTOR", "1"},          {"QT_SCREEN_SCALE_FACTORS", ""},
        {"QT_ENABLE_HIGHDPI_SCALING", ""}, {"XDG_RUNTIME_DIR", runtime.string()}};
    for (const auto& [name, value] : environment)
        options.environment[name] = value;
    options.outputFile = viewerLog();
    viewer_ = std::make_unique<ChildProcess>(options);
    const WindowId main = waitForWindow(kMainTitle);
    if (main != 0) {
        const Rect at = geometryOf(main);
        const bool painted =
            waitUntil([&] { return display_->grab().at(at.x + kPanelX, at.y + kPanelY) != Rgb{}; },
                      kWindowTimeout);
        EXPECT_TRUE(painted) << "the main window at " << at << " never painted its panel";
    }
    return main;
}

WindowId ViewerEndToEnd::waitForWindow(const std::string& title) {
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
                      << readText(viewerLog());
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

bool ViewerEndToEnd::waitUntilHidden(const std::string& title) {
    return waitUntil([&] { return windows_->visible(title).empty(); }, kWindowTimeout);
}

bool ViewerEndToEnd::selectEveryMedium(WindowId main) {
    clickKid(main, kSelectByPhaseButton);
    const WindowId phase = waitForWindow(kPhaseTitle);
    if (phase == 0) return false;
    clickKid(phase, kPhaseAllButton);
    clickKid(phase, kPhaseCloseButton);
    return waitUntilHidden(kPhaseTitle);
}

Point ViewerEndToEnd::onScreen(WindowId window, int x, int y) const {
    const Rect at = geometryOf(window);
    return {at.x + x, at.y + y};
}

void ViewerEndToEnd::clickKid(WindowId window, const Rect& kid) {
    windows_->click(onScreen(window, kid.x + kid.width / 2, kid.y + kid.height / 2));
}

std::optional<Ending> ViewerEndToEnd::waitForViewerEnd() {
    const std::optional<Ending> ending = viewer_->waitForEnd(kExitTimeout);
    if (!ending) ADD_FAILURE() << "the viewer still runs " << kExitTimeout.count() << " s on";
    return ending;
}

void ViewerEndToEnd::expectExitedWithZero(const std::optional<Ending>& ending) {
    ASSERT_TRUE(ending.has_value());
    EXPECT_TRUE(ending->exited && ending->status == 0) << ending->describe() << "; viewer output:\n"
                                                       << readText(viewerLog());
}

void ViewerEndToEnd::quitWithZero(WindowId main) {
    clickKid(main, kQuitButton);
    expectExitedWithZero(waitForViewerEnd());
    EXPECT_TRUE(writtenPlacements().has_value());
}

std::optional<Placements> ViewerEndToEnd::writtenPlacements() {
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

void ViewerEndToEnd::expectPlacements(const Placements& actual, const Placements& expected) {
    static const std::array<const char*, 4> kRecordNames = {"main", "About", "medium selection",
                                                            "phase selection"};
    for (std::size_t i = 0; i < actual.size(); ++i)
        EXPECT_EQ(actual[i], expected[i])
            << "record " << i + 1 << " (" << kRecordNames[i] << " window)";
}

std::vector<std::string> ViewerEndToEnd::otherWindowTitles() const {
    std::vector<std::string> titles;
    for (const WindowId window : windows_->allVisible()) {
        const std::string title = windows_->title(window);
        if (title != kMainTitle && title != kAboutTitle && title != kMediaTitle &&
            title != kPhaseTitle)
            titles.push_back(title);
    }
    return titles;
}

}  // namespace quorvanta::e2e
