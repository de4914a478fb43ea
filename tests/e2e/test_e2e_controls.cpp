// The real quorvanta binary, end to end, driven like a user: every button of every window, both
// scroll bars through their arrows, troughs and thumbs, and every pointer gesture on the colour
// band. What each control did is read back from the screen: the colour band tells which range is
// shown and on which scale, the white lines above it which media are selected.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "common/catalogue_image.h"
#include "spectrum/anchored_zoom.h"
#include "spectrum/spectrum_view.h"
#include "spectrum/wavelength_colour.h"
#include "viewer_fixture.h"

namespace quorvanta::e2e {
namespace {

using quorvanta::testing::CatalogueImage;

// The colour band fills rows 525..575 of the main window; its middle row is read.
constexpr int kBandRow = 550;
constexpr int kBandColumns = 1000;
// The toolkit rounds each 16-bit intensity to 8 bits; a view computed here in another order of
// operations may land a level off at a block's edge.
constexpr int kColourTolerance = 2;

// The middle line of each scroll bar, and the length of its arrow buttons.
constexpr int kHorizontalBarRow = kHorizontalBar.y + kHorizontalBar.height / 2;
constexpr int kVerticalBarColumn = kVerticalBar.x + kVerticalBar.width / 2;
constexpr int kArrowLength = 15;

// The colour band a view must show: one colour per column, or none where nothing is painted.
using Band = std::array<std::optional<Rgb>, kBandColumns>;

int eightBit(std::int32_t intensity) {
    return (2 * std::clamp(intensity, 0, 65535) + 257) / 514;
}

Rgb colourOf(double wavelength) {
    const Intensities c = wavelengthIntensities(wavelength);
    return {eightBit(c.red), eightBit(c.green), eightBit(c.blue)};
}

Band expectedBand(const SpectrumView& view) {
    const ColourBandPlan plan = colourBandPlan(view);
    Band band;
    if (plan.wholeBandFirst) band.fill(colourOf(plan.wholeBandWavelength));
    for (const BandBlock& block : plan.blocks)
        for (int x = std::max(0, block.x1); x <= std::min(kBandColumns - 1, block.x2); ++x)
            band[std::size_t(x)] = colourOf(block.wavelength);
    return band;
}

bool near(const Rgb& a, const Rgb& b) {
    return std::abs(a.r - b.r) <= kColourTolerance && std::abs(a.g - b.g) <= kColourTolerance &&
           std::abs(a.b - b.b) <= kColourTolerance;
}

std::string describe(const SpectrumView& view) {
    std::ostringstream out;
    out << (view.scale == Linear ? "linear " : "logarithmic ") << view.leftEnd() << ".."
        << view.rightEnd() << " nm";
    return out.str();
}

// The view after zooming to a width with the wavelength at the plot's middle kept in place.
SpectrumView zoomedTo(SpectrumView view, double width) {
    const double middle =
        view.scale == Linear
            ? view.viewCentre
            : std::sqrt(view.viewCentre * view.viewCentre - view.viewWidth * view.viewWidth / 4);
    view.centreOn(middle, width);
    view.clampView();
    return view;
}

// The view after a click on the band's column x: x's wavelength to the middle, the width scaled.
SpectrumView clickedAt(SpectrumView view, int x, double factor) {
    view.centreOn(view.wavelengthAt(x), view.viewWidth * factor);
    view.clampView();
    return view;
}

// The view after a drag over columns x1..x2: exactly that interval, or for the right button a
// zoom out by the ratio of the old width to the dragged one.
SpectrumView draggedOver(SpectrumView view, int x1, int x2, bool rightButton) {
    const double a = view.wavelengthAt(std::min(x1, x2));
    const double b = view.wavelengthAt(std::max(x1, x2));
    const double oldWidth = view.viewWidth;
    view.viewWidth = b - a;
    view.viewCentre = a + (b - a) / 2;
    if (rightButton) view.viewWidth = oldWidth * (oldWidth / (b - a));
    view.clampView();
    return view;
}

class ControlsEndToEnd : public ViewerEndToEnd {
  protected:
    // Starts the viewer; the main window's origin is kept for reading its pixels.
    void start() {
        main_ = startViewer();
        ASSERT_NE(main_, 0u);
        origin_ = onScreen(main_, 0, 0);
    }

    Point mainPoint(int x, int y) const { return {origin_.x + x, origin_.y + y}; }

    // Opens a secondary window with its button in the main window.
    WindowId open(const Rect& button, const std::string& title) {
        clickKid(main_, button);
        return waitForWindow(title);
    }
    Rgb mainPixel(const Screenshot& screen, int x, int y) const {
        return screen.at(origin_.x + x, origin_.y + y);
    }

    // Columns of the band row that differ from the view's band.
    std::vector<int> bandMismatches(const Screenshot& screen, const Band& band) const {
        std::vector<int> columns;
        for (int x = 0; x < kBandColumns; ++x)
            if (band[std::size_t(x)] &&
                !near(mainPixel(screen, x, kBandRow), *band[std::size_t(x)]))
                columns.push_back(x);
        return columns;
    }

    // The pointer is drawn into the screen: it waits in the screen's corner, where no window
    // stands, while the screen is read.
    void parkPointer() { windows_->moveTo({0, 0}); }

    // Waits until the colour band shows the view; a failure naming where it differs otherwise.
    void expectShown(const SpectrumView& view) {
        parkPointer();
        const Band band = expectedBand(view);
        std::vector<int> mismatches;
        const bool shown = waitUntil(
            [&] {
                mismatches = bandMismatches(display_->grab(), band);
                return mismatches.empty();
            },
            kScreenTimeout);
        if (shown) return;
        const Screenshot screen = display_->grab();
        std::ostringstream first;
        for (std::size_t i = 0; i < std::min<std::size_t>(mismatches.size(), 5); ++i) {
            const int x = mismatches[i];
            const Rgb seen = mainPixel(screen, x, kBandRow);
            const Rgb wanted = *band[std::size_t(x)];
            first << " x=" << x << " (" << seen.r << "," << seen.g << "," << seen.b << " for "
                  << wanted.r << "," << wanted.g << "," << wanted.b << ")";
        }
        ADD_FAILURE() << "the colour band does not show " << describe(view) << ": "
                      << mismatches.size() << " columns differ, first" << first.str();
    }

    // Lin/Log twice: the view on the other scale, then the view as it was.
    void expectLinLogFlipsTheScaleOf(const SpectrumView& view) {
        SpectrumView flipped = view;
        flipped.scale = view.scale == Linear ? Logarithmic : Linear;
        clickKid(main_, kLinLogButton);
        expectShown(flipped);
        clickKid(main_, kLinLogButton);
        expectShown(view);
    }

    // Waits until the white lines above the band stand exactly in these columns.
    void expectLinesAt(std::vector<int> columns) {
        parkPointer();
        std::sort(columns.begin(), columns.end());
        std::vector<int> seen;
        const bool shown = waitUntil(
            [&] {
                seen = lineColumns(display_->grab(), geometryOf(main_));
                return seen == columns;
            },
            kScreenTimeout);
        EXPECT_TRUE(shown) << "lines in columns " << ::testing::PrintToString(seen) << ", not "
                           << ::testing::PrintToString(columns);
    }

    // The thumb of a scroll bar, as the first and last pixel (in the main window's coordinates
    // along the bar) of the longest bright run between the two arrows.
    std::pair<int, int> thumbOf(const Rect& bar) const {
        const bool horizontal = bar.width > bar.height;
        const int length = horizontal ? bar.width : bar.height;
        const Screenshot screen = display_->grab();
        int bestStart = 0, bestLength = 0, runStart = 0, run = 0;
        for (int i = kArrowLength; i < length - kArrowLength; ++i) {
            const Rgb p = horizontal ? mainPixel(screen, bar.x + i, kHorizontalBarRow)
                                     : mainPixel(screen, kVerticalBarColumn, bar.y + i);
            const bool bright = p.r >= 0xF0 && p.g >= 0xF0 && p.b >= 0xF0;
            run = bright ? run + 1 : 0;
            if (run == 1) runStart = i;
            if (run > bestLength) bestStart = runStart, bestLength = run;
        }
        const int offset = horizontal ? bar.x : bar.y;
        return {offset + bestStart, offset + bestStart + bestLength - 1};
    }

    static constexpr auto kScreenTimeout = 5s;

    WindowId main_ = 0;
    Point origin_;
};

// Three media in the three phases, with lines inside and outside the start view (350..800 nm).
struct TestCatalogue {
    static constexpr int kAlpha = 1, kBeta = 2, kGamma = 3;

    static std::vector<std::uint8_t> bytes() {
        return CatalogueImage()
            .medium("Alpha", "solid")
            .medium("Beta", "liquid")
            .medium("Gamma", "gas")
            .line("Alpha", 450.0)
            .line("Beta", 610.0)
            .line("Gamma", 700.0)
            .line("Alpha", 520.0)
            .line("Gamma", 1500.0)
            .bytes();
    }
};

// The columns of the plot area where lines of these wavelengths stand in a view.
std::vector<int> columnsOf(const SpectrumView& view, std::initializer_list<double> wavelengths) {
    std::vector<int> columns;
    for (const double wavelength : wavelengths) {
        const double x = view.xOf(wavelength);
        if (x >= 0 && x < kPlotRight) columns.push_back(static_cast<int>(std::lround(x)));
    }
    return columns;
}

// A button face that shows pressed: the toggles turn blue.
bool looksPressed(const Rgb& face) {
    return face.b > face.r + 60 && face.b > face.g + 30;
}

TEST_F(ControlsEndToEnd, ViewButtonsSetTheRangeAndTheScale) {
    installShippedCatalogue();
    ASSERT_NO_FATAL_FAILURE(start());
    const SpectrumView startView = SpectrumView::startValues();
    expectShown(startView);

    expectLinLogFlipsTheScaleOf(startView);

    SpectrumView narrowest = startView;
    narrowest.viewWidth = narrowest.minWidth;
    clickKid(main_, kMaxZoomButton);
    expectShown(narrowest);

    SpectrumView whole = startView;
    whole.viewWidth = whole.maxWidth;
    whole.viewCentre = whole.maxWidth / 2 + whole.lowerBound;
    clickKid(main_, kMinZoomButton);
    expectShown(whole);

    clickKid(main_, kVisibleButton);
    expectShown(startView);
    quitWithZero(main_);
}

TEST_F(ControlsEndToEnd, SelectionButtonsOfEveryWindowDrawTheirMedia) {
    installCatalogue(TestCatalogue::bytes());
    // The selection windows stand beside the main window, off its plot area and colour band.
    const Rect noPosition{kNoPosition, kNoPosition, 0, 0};
    quorvanta::testing::writeFile(
        settingsFile(),
        settingsBytes({noPosition, noPosition, Rect{1100, 0, 0, 0}, Rect{1075, 950, 0, 0}}));
    ASSERT_NO_FATAL_FAILURE(start());
    const SpectrumView startView = SpectrumView::startValues();
    const std::vector<int> alpha = columnsOf(startView, {450, 520});
    const std::vector<int> alphaBeta = columnsOf(startView, {450, 520, 610});
    const std::vector<int> betaGamma = columnsOf(startView, {610, 700});
    const std::vector<int> all = columnsOf(startView, {450, 520, 610, 700});
    expectLinesAt({});

    {
        SCOPED_TRACE("medium selection window");
        const WindowId media = open(kSelectByMediumButton, kMediaTitle);
        ASSERT_NE(media, 0u);
        clickKid(media, mediumToggle(TestCatalogue::kAlpha));
        expectLinesAt(alpha);
        const Rect toggle = mediumToggle(TestCatalogue::kAlpha);
        const Point face = onScreen(media, toggle.x + 4, toggle.y + toggle.height / 2);
        EXPECT_TRUE(looksPressed(display_->grab().at(face.x, face.y)));
        clickKid(media, mediumToggle(TestCatalogue::kBeta));
        expectLinesAt(alphaBeta);
        clickKid(media, mediumToggle(TestCatalogue::kAlpha));
        expectLinesAt(columnsOf(startView, {610}));
        EXPECT_FALSE(looksPressed(display_->grab().at(face.x, face.y)));
        clickKid(media, kMediaNoneButton);
        expectLinesAt({});
        clickKid(media, kMediaAllButton);
        expectLinesAt(all);
        clickKid(media, kMediaCloseButton);
        EXPECT_TRUE(waitUntilHidden(kMediaTitle));
    }
    {
        SCOPED_TRACE("phase selection window");
        const WindowId phase = open(kSelectByPhaseButton, kPhaseTitle);
        ASSERT_NE(phase, 0u);
        clickKid(phase, kPhaseNoneButton);
        expectLinesAt({});
        clickKid(phase, kSolidButton);
        expectLinesAt(alpha);
        clickKid(phase, kLiquidButton);
        expectLinesAt(alphaBeta);
        clickKid(phase, kGasButton);
        expectLinesAt(all);
        clickKid(phase, kSolidButton);
        expectLinesAt(betaGamma);
        clickKid(phase, kPhaseNoneButton);
        expectLinesAt({});
        clickKid(phase, kPhaseAllButton);
        expectLinesAt(all);
        clickKid(phase, kPhaseCloseButton);
        EXPECT_TRUE(waitUntilHidden(kPhaseTitle));
    }
    {
        SCOPED_TRACE("Clear, Available and AutoAvail");
        clickKid(main_, kClearButton);
        expectLinesAt({});
        // Gamma has a line in view (700 nm) and one outside it.
        clickKid(main_, kAvailableButton);
        expectLinesAt(all);
        clickKid(main_, kClearButton);
        expectLinesAt({});
        clickKid(main_, kAutoAvailToggle);
        expectLinesAt(all);
        // From now on every zoom selects what it shows: nothing between 570 and 580 nm.
        clickKid(main_, kMaxZoomButton);
        SpectrumView narrowest = startView;
        narrowest.viewWidth = narrowest.minWidth;
        expectShown(narrowest);
        expectLinesAt({});
        clickKid(main_, kVisibleButton);
        expectLinesAt(all);
        clickKid(main_, kAutoAvailToggle);
        clickKid(main_, kClearButton);
        expectLinesAt({});
        clickKid(main_, kMaxZoomButton);
        expectShown(narrowest);
        clickKid(main_, kVisibleButton);
        expectShown(startView);
        expectLinesAt({});
    }
    {
        SCOPED_TRACE("Zoom All and AutoZoom");
        const WindowId media = open(kSelectByMediumButton, kMediaTitle);
        ASSERT_NE(media, 0u);
        clickKid(media, mediumToggle(TestCatalogue::kBeta));
        expectLinesAt(columnsOf(startView, {610}));
        SpectrumView aroundBeta = startView;
        aroundBeta.fitRange(610, 610);
        aroundBeta.clampView();
        clickKid(main_, kZoomAllButton);
        expectShown(aroundBeta);
        expectLinesAt(columnsOf(aroundBeta, {610}));
        clickKid(main_, kVisibleButton);
        expectShown(startView);

        // Switched on, AutoZoom frames the selection at once and after each change of it.
        clickKid(main_, kAutoZoomToggle);
        expectShown(aroundBeta);
        clickKid(media, mediumToggle(TestCatalogue::kAlpha));
        SpectrumView alphaAndBeta = aroundBeta;
        alphaAndBeta.fitRange(450, 610);
        alphaAndBeta.clampView();
        expectShown(alphaAndBeta);
        expectLinesAt(columnsOf(alphaAndBeta, {450, 520, 610}));
        // Switched off, it leaves the view alone.
        clickKid(main_, kAutoZoomToggle);
        clickKid(media, mediumToggle(TestCatalogue::kGamma));
        expectLinesAt(columnsOf(alphaAndBeta, {450, 520, 610, 700}));
        expectShown(alphaAndBeta);
    }
    quitWithZero(main_);
}

TEST_F(ControlsEndToEnd, ScrollBarsScrollAndZoomByArrowTroughAndThumb) {
    installShippedCatalogue();
    ASSERT_NO_FATAL_FAILURE(start());
    const SpectrumView startView = SpectrumView::startValues();
    expectShown(startView);
    auto scrolledTo = [&](double centre) {
        SpectrumView view = startView;
        view.viewCentre = centre;
        return view;
    };

    {
        SCOPED_TRACE("horizontal bar");
        const int row = kHorizontalBarRow;
        // The arrows step by a fiftieth of the width, the trough by a tenth.
        windows_->click(mainPoint(kHorizontalBar.width - kArrowLength / 2, row));
        expectShown(scrolledTo(584));
        windows_->click(mainPoint(kArrowLength / 2, row));
        expectShown(startView);
        windows_->click(mainPoint(kHorizontalBar.width / 2, row));
        expectShown(scrolledTo(620));
        const auto [first, last] = thumbOf(kHorizontalBar);
        ASSERT_GT(first, kArrowLength + 2) << "no trough left of the thumb to click";
        windows_->click(mainPoint((kArrowLength + first) / 2, row));
        expectShown(startView);

        // The thumb dragged past either end: the range at that end of 10..20000 nm. The bar
        // reports its thumb against a highest value of 20000, which puts the centre a little
        // right of where the thumb's middle stands.
        const auto [from, to] = thumbOf(kHorizontalBar);
        const int middle = (from + to) / 2;
        SpectrumView leftmost = scrolledTo((10.0 + 225.0) * 20000.0 / 19999.0);
        leftmost.clampView();
        windows_->drag(mainPoint(middle, row), mainPoint(-100, row));
        expectShown(leftmost);
        const auto [leftFrom, leftTo] = thumbOf(kHorizontalBar);
        EXPECT_LT(leftFrom, from) << "the thumb stays where the drag left it";
        SpectrumView rightmost = scrolledTo((19550.0 + 225.0) * 20000.0 / 19999.0);
        rightmost.clampView();
        windows_->drag(mainPoint((leftFrom + leftTo) / 2, row),
                       mainPoint(kHorizontalBar.width + 100, row));
        expectShown(rightmost);
        EXPECT_GT(thumbOf(kHorizontalBar).second, kHorizontalBar.width - 2 * kArrowLength);
        clickKid(main_, kVisibleButton);
        expectShown(startView);
    }
    {
        SCOPED_TRACE("vertical bar");
        const int column = kVerticalBarColumn;
        // Up zooms in, down zooms out, by 0.98 on an arrow and 0.9 in the trough, keeping the
        // wavelength at the plot's middle.
        SpectrumView view = zoomedTo(startView, startView.viewWidth * 0.98);
        windows_->click(mainPoint(column, kArrowLength / 2));
        expectShown(view);
        view = zoomedTo(view, view.viewWidth / 0.98);
        windows_->click(mainPoint(column, kVerticalBar.height - kArrowLength / 2));
        expectShown(view);
        view = zoomedTo(view, view.viewWidth / 0.9);
        windows_->click(mainPoint(column, kVerticalBar.height / 2));
        expectShown(view);
        const auto [first, last] = thumbOf(kVerticalBar);
        ASSERT_GT(first, kArrowLength + 2) << "no trough above the thumb to click";
        view = zoomedTo(view, view.viewWidth * 0.9);
        windows_->click(mainPoint(column, (kArrowLength + first) / 2));
        expectShown(view);

        // The thumb dragged to the bottom: the widest view; to the top: the narrowest. The bar
        // reports widths against a highest value of 19995.
        const auto [from, to] = thumbOf(kVerticalBar);
        view = zoomedTo(view, 19990.0 * (19990.0 / 19995.0));
        windows_->drag(mainPoint(column, (from + to) / 2),
                       mainPoint(column, kVerticalBar.height + 100));
        expectShown(view);
        const auto [bottomFrom, bottomTo] = thumbOf(kVerticalBar);
        view = zoomedTo(view, 10.0 * (19990.0 / 19995.0));
        windows_->drag(mainPoint(column, (bottomFrom + bottomTo) / 2), mainPoint(column, -100));
        expectShown(view);
    }
    quitWithZero(main_);
}

TEST_F(ControlsEndToEnd, PointerGesturesOnTheColourBandZoom) {
    installShippedCatalogue();
    ASSERT_NO_FATAL_FAILURE(start());
    const SpectrumView startView = SpectrumView::startValues();
    expectShown(startView);
    auto backToStart = [&] {
        clickKid(main_, kVisibleButton);
        expectShown(startView);
    };

    struct Gesture {
        const char* name;
        int x1, x2;
        int button;
        SpectrumView result;
    };
    const std::vector<Gesture> gestures = {
        {"left click: zoom in around the column", 500, 500, DisplayWindows::kLeft,
         clickedAt(startView, 500, 0.9)},
        {"right click: zoom out around the column", 0, 0, DisplayWindows::kRight,
         clickedAt(startView, 0, 1 / 0.9)},
        {"left drag: the dragged interval", 250, 750, DisplayWindows::kLeft,
         draggedOver(startView, 250, 750, false)},
        {"left drag from right to left: the same", 750, 250, DisplayWindows::kLeft,
         draggedOver(startView, 250, 750, false)},
        {"right drag: zoom out by the ratio", 250, 750, DisplayWindows::kRight,
         draggedOver(startView, 250, 750, true)},
    };
    for (const Gesture& gesture : gestures) {
        SCOPED_TRACE(gesture.name);
        if (gesture.x1 == gesture.x2)
            windows_->click(mainPoint(gesture.x1, kBandRow), gesture.button);
        else
            windows_->drag(mainPoint(gesture.x1, kBandRow), mainPoint(gesture.x2, kBandRow),
                           gesture.button);
        expectShown(gesture.result);
        backToStart();
    }

    {
        SCOPED_TRACE("markers while the button is held, gone when it is released off the band");
        // Read above the pointer, which stands in the band's middle row.
        constexpr int kAnchor = 300, kMoving = 600, kMarkerRow = 530;
        windows_->press(mainPoint(kAnchor, kBandRow));
        windows_->moveTo(mainPoint(450, kBandRow));
        windows_->moveTo(mainPoint(kMoving, kBandRow));
        const Rgb white{255, 255, 255};
        EXPECT_TRUE(waitUntil(
            [&] {
                const Screenshot screen = display_->grab();
                return mainPixel(screen, kAnchor, kMarkerRow) == white &&
                       mainPixel(screen, kMoving, kMarkerRow) == white &&
                       mainPixel(screen, 450, kMarkerRow) != white;
            },
            kScreenTimeout))
            << "no white markers at columns " << kAnchor << " and " << kMoving;
        windows_->release(mainPoint(kMoving, kBandRow + 55));
        expectShown(startView);
    }
    {
        SCOPED_TRACE("a press off the band starts nothing");
        windows_->drag(mainPoint(200, 300), mainPoint(700, kBandRow));
        // LinLog redraws without touching the range: the band then shows the start range on
        // the linear scale only if the gesture changed nothing.
        expectLinLogFlipsTheScaleOf(startView);
    }
    quitWithZero(main_);
}

// Keys, the wheel and Find, with the real keyboard and wheel of the virtual display.
TEST_F(ControlsEndToEnd, WheelKeysAndFindGoWhereTheySay) {
    installShippedCatalogue();
    ASSERT_NO_FATAL_FAILURE(start());
    SpectrumView view = SpectrumView::startValues();
    expectShown(view);

    // A notch forward over column 250 narrows the view by 0.9 about that column's wavelength;
    // a notch back widens it again about the same column.
    constexpr int kWheelForward = 4, kWheelBack = 5, kColumn = 250;
    zoomAboutColumn(view, kColumn, view.viewWidth * 0.9);
    view.clampView();
    windows_->click(mainPoint(kColumn, 300), kWheelForward);
    expectShown(view);
    zoomAboutColumn(view, kColumn, view.viewWidth / 0.9);
    view.clampView();
    windows_->click(mainPoint(kColumn, 300), kWheelBack);
    expectShown(view);

    // Home is Min Zoom, L is Lin/Log.
    SpectrumView whole = view;
    whole.viewWidth = whole.maxWidth;
    whole.viewCentre = whole.maxWidth / 2 + whole.lowerBound;
    windows_->keys(main_, {"Home"});
    expectShown(whole);
    SpectrumView linear = whole;
    linear.scale = Linear;
    windows_->keys(main_, {"l"});
    expectShown(linear);
    windows_->keys(main_, {"l"});
    expectShown(whole);

    // Control+F, 1064, Enter: the nearest line in the middle, a white line of its medium there.
    windows_->keys(main_, {"ctrl+f"});
    const WindowId find = waitForWindow("Find");
    ASSERT_NE(find, 0u);
    windows_->type(find, "1064");
    windows_->keys(find, {"Return"});
    SpectrumView at1064 = whole;
    at1064.centreOn(1064, 1064 * 0.02);
    at1064.clampView();
    expectShown(at1064);
    parkPointer();
    EXPECT_TRUE(waitUntil(
        [&] {
            const std::vector<int> columns = lineColumns(display_->grab(), geometryOf(main_));
            return std::find(columns.begin(), columns.end(), 500) != columns.end();
        },
        kScreenTimeout))
        << "no white line in column 500";
    windows_->keys(find, {"Escape"});
    EXPECT_TRUE(waitUntilHidden("Find"));
    quitWithZero(main_);
}

TEST_F(ControlsEndToEnd, FindSelectsAMediumByNameAndEndFramesIt) {
    installCatalogue(TestCatalogue::bytes());
    ASSERT_NO_FATAL_FAILURE(start());
    const SpectrumView startView = SpectrumView::startValues();
    expectLinesAt({});
    windows_->keys(main_, {"slash"});
    const WindowId find = waitForWindow("Find");
    ASSERT_NE(find, 0u);
    windows_->type(find, "ALP");
    windows_->keys(find, {"Return"});
    expectLinesAt(columnsOf(startView, {450, 520}));
    windows_->keys(find, {"Escape"});
    EXPECT_TRUE(waitUntilHidden("Find"));

    SpectrumView framed = startView;
    framed.fitRange(450, 520);
    framed.clampView();
    windows_->keys(main_, {"End"});
    expectShown(framed);
    windows_->keys(main_, {"ctrl+q"});
    expectExitedWithZero(waitForViewerEnd());
    EXPECT_TRUE(writtenPlacements().has_value());
}

}  // namespace
}  // namespace quorvanta::e2e
