// The real quorvanta binary on a private display, driven like a user: every button of every
// window, both scroll bars, every gesture on the colour band, the keys, the wheel, Find, the
// exports, the readout, window placements across a restart and bad or missing files. Each start
// of the viewer checks many things in turn; what a control did is read back from the screen: the
// colour band tells which range is shown on which scale, the white lines above it which media are
// selected.
#include <QFile>
#include <QStandardPaths>
#include <algorithm>
#include <cmath>
#include <sstream>

#include "common/catalogue_image.h"
#include "harness.h"
#include "spectrum/anchored_zoom.h"
#include "spectrum/renderer.h"
#include "spectrum/spectrum_view.h"
#include "spectrum/wavelength_colour.h"

namespace quorvanta::e2e {
namespace {

using quorvanta::testing::CatalogueImage;
using quorvanta::testing::readBytes;
using quorvanta::testing::writeFile;

constexpr int kBandRow = 550;  // the colour band's middle row
constexpr int kArrow = 15;     // a scroll bar arrow's length
const QRgb kWhite = qRgb(255, 255, 255);

QRgb eightBit(const Intensities& c) {
    auto level = [](std::int32_t i) { return (2 * std::clamp(i, 0, 65535) + 257) / 514; };
    return qRgb(level(c.red), level(c.green), level(c.blue));
}

// The toolkit rounds each 16-bit intensity to 8 bits; a view computed here in another order of
// operations may land a level off at a block's edge.
bool near(QRgb a, QRgb b) {
    return std::abs(qRed(a) - qRed(b)) <= 2 && std::abs(qGreen(a) - qGreen(b)) <= 2 &&
           std::abs(qBlue(a) - qBlue(b)) <= 2;
}

// The colour a view's band must have in each column, 0 where nothing is painted.
std::vector<QRgb> expectedBand(const SpectrumView& view) {
    const ColourBandPlan plan = colourBandPlan(view);
    std::vector<QRgb> band(
        1000, plan.wholeBandFirst ? eightBit(wavelengthIntensities(plan.wholeBandWavelength)) : 0);
    for (const BandBlock& block : plan.blocks)
        for (int x = std::max(0, block.x1); x <= std::min(999, block.x2); ++x)
            band[std::size_t(x)] = eightBit(wavelengthIntensities(block.wavelength));
    return band;
}

std::string describe(const SpectrumView& view) {
    std::ostringstream out;
    out << (view.scale == Linear ? "linear " : "logarithmic ") << view.leftEnd() << ".."
        << view.rightEnd() << " nm";
    return out.str();
}

// Views that the controls must lead to.
SpectrumView clamped(SpectrumView view) {
    view.clampView();
    return view;
}
SpectrumView withScale(SpectrumView view, DisplayScale scale) {
    view.scale = scale;
    return view;
}
SpectrumView scrolledTo(SpectrumView view, double centre) {
    view.viewCentre = centre;
    return clamped(view);
}
SpectrumView widthOf(SpectrumView view, double width) {
    view.viewWidth = width;
    return view;
}
SpectrumView fitted(SpectrumView view, double a, double b) {
    view.fitRange(a, b);
    return clamped(view);
}
// A zoom to a width that keeps the wavelength at the plot's middle in place.
SpectrumView zoomedTo(SpectrumView view, double width) {
    const double middle =
        view.scale == Linear
            ? view.viewCentre
            : std::sqrt(view.viewCentre * view.viewCentre - view.viewWidth * view.viewWidth / 4);
    view.centreOn(middle, width);
    return clamped(view);
}
SpectrumView zoomedAbout(SpectrumView view, int x, double factor) {
    zoomAboutColumn(view, x, view.viewWidth * factor);
    return clamped(view);
}
// A click on the band: the column's wavelength to the middle, the width scaled.
SpectrumView clickedAt(SpectrumView view, int x, double factor) {
    view.centreOn(view.wavelengthAt(x), view.viewWidth * factor);
    return clamped(view);
}
// A drag over x1..x2: exactly that interval; with the right button a zoom out by the ratio.
SpectrumView draggedOver(SpectrumView view, int x1, int x2, bool right) {
    const double a = view.wavelengthAt(x1), b = view.wavelengthAt(x2), oldWidth = view.viewWidth;
    view.viewWidth = right ? oldWidth * oldWidth / (b - a) : b - a;
    view.viewCentre = a + (b - a) / 2;
    return clamped(view);
}

std::vector<int> columnsOf(const SpectrumView& view, std::initializer_list<double> wavelengths) {
    std::vector<int> columns;
    for (const double wavelength : wavelengths)
        if (const double x = view.xOf(wavelength); x >= 0 && x < kPlotRight)
            columns.push_back(int(std::lround(x)));
    std::sort(columns.begin(), columns.end());
    return columns;
}

// A toggle shows pressed in blue.
bool looksPressed(QRgb face) {
    return qBlue(face) > qRed(face) + 60 && qBlue(face) > qGreen(face) + 30;
}

// The readout box whose corner stands 16 pixels right of and below the pointer, when shown.
std::optional<QRect> readoutBeside(const QImage& screen, QPoint pointer) {
    const QRgb frame = qRgb(0x80, 0x80, 0x80);
    const QPoint corner = pointer + QPoint(16, 16);
    if (!screen.valid(corner + QPoint(2, 2)) || screen.pixel(corner) != frame ||
        screen.pixel(corner + QPoint(2, 2)) != qRgb(0x20, 0x20, 0x20))
        return std::nullopt;
    QRect box(corner, QSize(1, 1));
    while (screen.valid(box.topRight() + QPoint(1, 0)) &&
           screen.pixel(box.topRight() + QPoint(1, 0)) == frame)
        box.setWidth(box.width() + 1);
    while (screen.valid(box.bottomLeft() + QPoint(0, 1)) &&
           screen.pixel(box.bottomLeft() + QPoint(0, 1)) == frame)
        box.setHeight(box.height() + 1);
    return box;
}

// Three media in the three phases, with lines inside and outside the start view (350..800 nm).
constexpr int kAlpha = 1, kBeta = 2, kGamma = 3;
std::vector<std::uint8_t> threeMedia() {
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

class Viewer : public EndToEnd {
  protected:
    // Starts the viewer and keeps its main window's origin for reading its pixels.
    void launch() {
        main_ = start();
        ASSERT_NE(main_, 0u);
        origin_ = geometryOf(main_).topLeft();
    }
    QPoint mainPoint(int x, int y) const { return origin_ + QPoint(x, y); }
    WindowId open(const QRect& button, const std::string& title) {
        clickKid(main_, button);
        return waitForWindow(title);
    }
    // The pointer shows on the screen: it waits in a corner no window covers while it is read.
    void park() { moveTo({0, 1000}); }

    // Waits until the colour band shows the view; a failure naming where it differs otherwise.
    void expectShown(const SpectrumView& view) {
        park();
        const std::vector<QRgb> band = expectedBand(view);
        std::vector<int> differ;
        const bool shown = waitUntil(
            [&] {
                const QImage screen = grab();
                differ.clear();
                for (int x = 0; x < 1000; ++x)
                    if (band[std::size_t(x)] &&
                        !near(screen.pixel(mainPoint(x, kBandRow)), band[std::size_t(x)]))
                        differ.push_back(x);
                return differ.empty();
            },
            patience(10s));
        EXPECT_TRUE(shown) << "the colour band does not show " << describe(view) << ": "
                           << differ.size() << " columns differ, the first at x=" << differ[0];
    }

    // Waits until the white lines above the band stand exactly in these columns.
    void expectLinesAt(const std::vector<int>& columns) {
        park();
        std::vector<int> seen;
        EXPECT_TRUE(waitUntil(
            [&] {
                seen = lineColumns(grab(), origin_);
                return seen == columns;
            },
            patience(10s)))
            << "lines in columns " << ::testing::PrintToString(seen) << ", not "
            << ::testing::PrintToString(columns);
    }

    std::optional<QRect> waitForReadout(QPoint pointer, bool shown) {
        std::optional<QRect> box;
        EXPECT_TRUE(waitUntil(
            [&] {
                box = readoutBeside(grab(), pointer);
                return box.has_value() == shown;
            },
            patience(10s)))
            << (shown ? "no readout beside the pointer at " : "the readout is still there at ")
            << pointer.x() - origin_.x() << "," << pointer.y() - origin_.y();
        return box;
    }

    // A scroll bar's thumb: the first and last pixel (main window coordinates along the bar) of
    // the longest bright run between its arrows.
    std::pair<int, int> thumbOf(const QRect& bar) const {
        const bool horizontal = bar.width() > bar.height();
        const QImage screen = grab();
        int best = 0, bestLength = 0, runStart = 0, run = 0;
        for (int i = kArrow; i < (horizontal ? bar.width() : bar.height()) - kArrow; ++i) {
            const QPoint p = horizontal ? QPoint(bar.x() + i, bar.center().y())
                                        : QPoint(bar.center().x(), bar.y() + i);
            const QRgb c = screen.pixel(mainPoint(p.x(), p.y()));
            run = qRed(c) >= 0xF0 && qGreen(c) >= 0xF0 && qBlue(c) >= 0xF0 ? run + 1 : 0;
            if (run == 1) runStart = i;
            if (run > bestLength) best = runStart, bestLength = run;
        }
        const int offset = horizontal ? bar.x() : bar.y();
        return {offset + best, offset + best + bestLength - 1};
    }

    WindowId main_ = 0;
    QPoint origin_;
};

// No catalogue: the built-in copy of the shipped one. A 10-byte settings file: the main record's x
// and y are whole, its width is not, so it counts as missing.
TEST_F(Viewer, EveryControlOfTheMainWindowOnTheBuiltInCatalogue) {
    QByteArray tenBytes = settingsBytes({QRect(200, 100, kMainWidth, kMainHeight)});
    quorvanta::testing::writeFile(settingsFile(), tenBytes.left(10).toStdString());
    ASSERT_NO_FATAL_FAILURE(launch());
    EXPECT_EQ(geometryOf(main_), centred(kMainWidth, kMainHeight));
    EXPECT_EQ(otherWindowTitles(), std::vector<std::string>{}) << "a warning";
    const SpectrumView start = SpectrumView::startValues();
    const SpectrumView narrowest = widthOf(start, start.minWidth);
    SpectrumView whole = widthOf(start, start.maxWidth);
    whole.viewCentre = whole.maxWidth / 2 + whole.lowerBound;
    expectShown(start);

    for (const QRect& bar : {kHorizontalBar, kVerticalBar}) {
        SCOPED_TRACE("a right click on a scroll bar: no menu, nothing moves");
        const QRect picture(origin_, QSize(kMainWidth, 620));
        park();
        const QImage before = grab().copy(picture);
        click(mainPoint(bar.x() + bar.width() * 4 / 5, bar.y() + bar.height() * 4 / 5), kRight);
        park();
        EXPECT_FALSE(waitUntil([&] { return grab().copy(picture) != before; }, 500ms));
    }

    // (what is clicked or dragged, at which points in the main window, the view it leads to)
    struct Step {
        const char* name;
        QPoint from, to;
        int button;
        SpectrumView result;
    };
    const int row = kHorizontalBar.center().y(), column = kVerticalBar.center().x();
    auto clickOn = [](const QRect& r) { return r.center(); };
    const std::vector<Step> buttons = {
        {"Lin/Log", clickOn(kLinLogButton), {}, kLeft, withScale(start, Linear)},
        {"Lin/Log again", clickOn(kLinLogButton), {}, kLeft, start},
        {"Max Zoom", clickOn(kMaxZoomButton), {}, kLeft, narrowest},
        {"Min Zoom", clickOn(kMinZoomButton), {}, kLeft, whole},
        {"Visible", clickOn(kVisibleButton), {}, kLeft, start},
        // The arrows step by a fiftieth of the width, the trough by a tenth.
        {"HBar right arrow",
         {kHorizontalBar.width() - kArrow / 2, row},
         {},
         kLeft,
         scrolledTo(start, 584)},
        {"HBar left arrow", {kArrow / 2, row}, {}, kLeft, start},
        {"HBar trough right of the thumb", {500, row}, {}, kLeft, scrolledTo(start, 620)},
        {"HBar trough left of the thumb", {kArrow + 4, row}, {}, kLeft, start},
        // Up zooms in, down out, by 0.98 on an arrow and 0.9 in the trough.
        {"VBar up arrow", {column, kArrow / 2}, {}, kLeft, zoomedTo(start, start.viewWidth * 0.98)},
        {"VBar down arrow",
         {column, kVerticalBar.height() - kArrow / 2},
         {},
         kLeft,
         zoomedTo(zoomedTo(start, start.viewWidth * 0.98), start.viewWidth)},
        {"VBar trough below the thumb",
         {column, 250},
         {},
         kLeft,
         zoomedTo(start, start.viewWidth / 0.9)},
        {"Visible", clickOn(kVisibleButton), {}, kLeft, start},
        // The band: a click zooms about its column, a drag to the dragged interval.
        {"band left click", {500, kBandRow}, {}, kLeft, clickedAt(start, 500, 0.9)},
        {"Visible", clickOn(kVisibleButton), {}, kLeft, start},
        {"band right click", {0, kBandRow}, {}, kRight, clickedAt(start, 0, 1 / 0.9)},
        {"Visible", clickOn(kVisibleButton), {}, kLeft, start},
        {"band left drag",
         {250, kBandRow},
         {750, kBandRow},
         kLeft,
         draggedOver(start, 250, 750, false)},
        {"Visible", clickOn(kVisibleButton), {}, kLeft, start},
        {"band left drag leftwards",
         {750, kBandRow},
         {250, kBandRow},
         kLeft,
         draggedOver(start, 250, 750, false)},
        {"Visible", clickOn(kVisibleButton), {}, kLeft, start},
        {"band right drag: out by the ratio",
         {250, kBandRow},
         {750, kBandRow},
         kRight,
         draggedOver(start, 250, 750, true)},
        {"Visible", clickOn(kVisibleButton), {}, kLeft, start},
        {"a drag from off the band starts nothing", {200, 300}, {700, kBandRow}, kLeft, start},
        {"Lin/Log: the band shows the start range",
         clickOn(kLinLogButton),
         {},
         kLeft,
         withScale(start, Linear)},
        {"Lin/Log", clickOn(kLinLogButton), {}, kLeft, start},
        // A notch over column 250 narrows by 0.9 about that column's wavelength, back widens.
        {"wheel forward", {250, 300}, {}, kWheelUp, zoomedAbout(start, 250, 0.9)},
        {"wheel back",
         {250, 300},
         {},
         kWheelDown,
         zoomedAbout(zoomedAbout(start, 250, 0.9), 250, 1 / 0.9)},
    };
    for (const Step& step : buttons) {
        SCOPED_TRACE(step.name);
        if (step.to.isNull())
            click(mainPoint(step.from.x(), step.from.y()), step.button);
        else
            drag(mainPoint(step.from.x(), step.from.y()), mainPoint(step.to.x(), step.to.y()),
                 step.button);
        expectShown(step.result);
    }

    {
        SCOPED_TRACE("a thumb dragged past either end of its bar");
        // The horizontal bar reports its thumb against 20000: the centre lands a little right
        // of the thumb's middle. The vertical one reports widths against 19995.
        clickKid(main_, kVisibleButton);
        expectShown(start);
        auto [from, to] = thumbOf(kHorizontalBar);
        ASSERT_GT(from, kArrow + 4) << "no trough left of the thumb";
        drag(mainPoint((from + to) / 2, row), mainPoint(-100, row));
        expectShown(scrolledTo(start, 235.0 * 20000.0 / 19999.0));
        const auto [leftFrom, leftTo] = thumbOf(kHorizontalBar);
        EXPECT_LT(leftFrom, from) << "the thumb stays where the drag left it";
        drag(mainPoint((leftFrom + leftTo) / 2, row), mainPoint(kHorizontalBar.width() + 100, row));
        expectShown(scrolledTo(start, 19775.0 * 20000.0 / 19999.0));
        EXPECT_GT(thumbOf(kHorizontalBar).second, kHorizontalBar.width() - 2 * kArrow);
        clickKid(main_, kVisibleButton);
        expectShown(start);
        std::tie(from, to) = thumbOf(kVerticalBar);
        ASSERT_GT(from, kArrow + 4) << "no trough above the thumb";
        click(mainPoint(column, (kArrow + from) / 2));
        expectShown(zoomedTo(start, start.viewWidth * 0.9));
        std::tie(from, to) = thumbOf(kVerticalBar);
        drag(mainPoint(column, (from + to) / 2), mainPoint(column, kVerticalBar.height() + 100));
        const SpectrumView widest = zoomedTo(start, 19990.0 * (19990.0 / 19995.0));
        expectShown(widest);
        std::tie(from, to) = thumbOf(kVerticalBar);
        drag(mainPoint(column, (from + to) / 2), mainPoint(column, -100));
        expectShown(zoomedTo(widest, 10.0 * (19990.0 / 19995.0)));
        clickKid(main_, kVisibleButton);
        expectShown(start);
    }
    for (const int button : {kLeft, kRight}) {
        SCOPED_TRACE("markers while a button is held, no readout, nothing on a release off it");
        constexpr int kAnchor = 300, kMoving = 600, kMarkerRow = 530;
        moveTo(mainPoint(kAnchor, 300));  // the pointer comes from the picture, as a user's does
        press(mainPoint(kAnchor, kBandRow), button);
        moveTo(mainPoint(450, kBandRow));
        moveTo(mainPoint(kMoving, kBandRow));
        EXPECT_TRUE(waitUntil(
            [&] {
                const QImage s = grab();
                return s.pixel(mainPoint(kAnchor, kMarkerRow)) == kWhite &&
                       s.pixel(mainPoint(kMoving, kMarkerRow)) == kWhite &&
                       s.pixel(mainPoint(450, kMarkerRow)) != kWhite;
            },
            patience(10s)))
            << "no white markers at columns " << kAnchor << " and " << kMoving;
        EXPECT_FALSE(waitUntil(
            [&] { return readoutBeside(grab(), mainPoint(kMoving, kBandRow)).has_value(); }, 300ms))
            << "a readout while the button is held";
        release(mainPoint(kMoving, kBandRow + 55), button);
        expectShown(start);
    }

    {
        SCOPED_TRACE("Home, L, Control+F 1064: the nearest line in the middle, its medium drawn");
        const std::vector<std::pair<QString, SpectrumView>> keyed = {
            {"Home", whole}, {"l", withScale(whole, Linear)}, {"l", whole}};
        for (const auto& [key, view] : keyed) {
            keys(main_, {key});
            expectShown(view);
        }
        expectLinesAt({});
        keys(main_, {"ctrl+f"});
        const WindowId find = waitForWindow("Find");
        ASSERT_NE(find, 0u);
        type(find, "1064");
        keys(find, {"Return"});
        SpectrumView at1064 = whole;
        at1064.centreOn(1064, 1064 * 0.02);
        expectShown(clamped(at1064));
        park();
        EXPECT_TRUE(waitUntil(
            [&] {
                const std::vector<int> lines = lineColumns(grab(), origin_);
                return std::find(lines.begin(), lines.end(), 500) != lines.end();
            },
            patience(10s)))
            << "no white line in column 500";
        keys(find, {"Escape"});
        EXPECT_TRUE(waitUntilHidden("Find"));
        clickKid(main_, kVisibleButton);
        clickKid(main_, kClearButton);
        expectLinesAt({});
    }

    {
        SCOPED_TRACE("each window centred, hidden by its button and by its close control");
        const Placements centre = centredPlacements();
        const std::vector<std::tuple<QRect, std::string, QRect>> windows = {
            {kAboutButton, kAboutTitle, kAboutOkButton},
            {kSelectByMediumButton, kMediaTitle, kMediaCloseButton},
            {kSelectByPhaseButton, kPhaseTitle, kPhaseCloseButton}};
        for (std::size_t i = 0; i < windows.size(); ++i) {
            const auto& [button, title, close] = windows[i];
            SCOPED_TRACE(title);
            WindowId window = open(button, title);
            ASSERT_NE(window, 0u);
            EXPECT_EQ(geometryOf(window), centre[i + 1]);
            if (title == kPhaseTitle) {
                // All phases: the lines of the start view, on both sides of its middle.
                clickKid(window, kPhaseAllButton);
                std::vector<int> lines;
                EXPECT_TRUE(waitUntil(
                    [&] {
                        lines = lineColumns(grab(), origin_);
                        return lines.size() >= 10;
                    },
                    patience(10s)))
                    << lines.size() << " lines after All";
                EXPECT_TRUE(!lines.empty() && lines.front() < 500 && lines.back() > 500);
            }
            clickKid(window, close);
            EXPECT_TRUE(waitUntilHidden(title)) << "its button leaves it shown";
            if (!canRequestClose()) continue;
            window = open(button, title);
            ASSERT_TRUE(requestClose(window));
            EXPECT_TRUE(waitUntilHidden(title)) << "its close control leaves it shown";
            EXPECT_TRUE(viewerRunning()) << "its close control ended the program";
        }
    }

    {
        SCOPED_TRACE("Control+S, Control+E, Control+C: the picture and the lines in view");
        const fs::path exports = folder_ / "exports";
        fs::create_directory(exports);
        auto saveThroughDialog = [&](const QString& key, const std::string& title,
                                     const fs::path& path) {
            keys(main_, {key});
            const WindowId dialog = waitForWindow(title);
            keys(dialog, {"ctrl+a"});  // the proposed name, wherever the cursor stands
            type(dialog, QString::fromStdString(path.string()));
            keys(dialog, {"Return"});
            EXPECT_TRUE(waitUntil([&] { return fs::exists(path); }, patience(20s)))
                << "nothing saved to " << path;
            EXPECT_TRUE(waitUntilHidden(title));
        };
        saveThroughDialog("ctrl+s", "Quorvanta - save the picture", exports / "picture.png");
        const QImage saved(QString::fromStdString((exports / "picture.png").string()));
        ASSERT_EQ(saved.size(), QSize(1000, 600));
        // The window shows the saved picture again: the export changed nothing. The scroll bar
        // covers the picture's right columns on the screen.
        park();
        const QRect shown(0, 0, kPlotRight, 600);
        EXPECT_TRUE(waitUntil(
            [&] {
                return grab().copy(shown.translated(origin_)) ==
                       saved.copy(shown).convertToFormat(QImage::Format_RGB32);
            },
            patience(10s)))
            << "the screen differs from the saved picture";
        const Output lines =
            run(QUORVANTA_DBTOOL, {"lines", QUORVANTA_CATALOGUE, "--from", "350", "--to", "800"});
        ASSERT_TRUE(lines.ok) << lines.err.toStdString();
        saveThroughDialog("ctrl+e", "Quorvanta - save the lines", exports / "lines.csv");
        EXPECT_EQ(quorvanta::testing::readText(exports / "lines.csv"), lines.out.toStdString());
        EXPECT_EQ(otherWindowTitles(), std::vector<std::string>{}) << "a dialog still open";
        if (QStandardPaths::findExecutable("xclip").isEmpty()) {
            std::cerr << "xclip is not installed: the clipboard is not checked\n";
        } else {
            keys(main_, {"ctrl+c"});
            QByteArray clipboard;
            EXPECT_TRUE(waitUntil(
                [&] {
                    clipboard = run("xclip", {"-selection", "clipboard", "-o"}, 5000).out;
                    return clipboard == lines.out;
                },
                patience(10s)))
                << "the clipboard holds:\n"
                << clipboard.toStdString();
        }
    }

    // The main window's close control quits like the Quit button; every window that was shown
    // reports where it stood.
    if (canRequestClose())
        EXPECT_TRUE(requestClose(main_));
    else
        clickKid(main_, kQuitButton);
    expectEndWritingPlacements(centredPlacements());
}

// Windows stored beside the main window, off its plot and band (sizes in the file are ignored);
// the second start reads the file the first one wrote.
TEST_F(Viewer, SelectionWindowsAndFindWithWindowsWhereTheSettingsPutThem) {
    installCatalogue(threeMedia());
    const QRect mainAt(60, 20, kMainWidth, kMainHeight);
    const QRect mediaAt(1150, 0, mediaWindowWidth(3), kMediaHeight);  // partly off the screen
    const QRect phaseAt(-1, 950, kPhaseWidth, kPhaseHeight);          // a position, not centring
    quorvanta::testing::writeFile(
        settingsFile(), settingsBytes({QRect(60, 20, 1, 1), kNoPosition, QRect(1150, 0, 0, 0),
                                       QRect(-1, 950, 0, 0)})
                            .toStdString());
    const Placements expected = {mainAt, centredPlacements()[1], mediaAt, phaseAt};
    const SpectrumView start = SpectrumView::startValues();
    const std::vector<int> alpha = columnsOf(start, {450, 520}),
                           all = columnsOf(start, {450, 520, 610, 700});

    WindowId media = 0, phase = 0;
    auto expectWindowsInPlace = [&] {
        EXPECT_EQ(geometryOf(main_), mainAt);
        const WindowId about = open(kAboutButton, kAboutTitle);
        EXPECT_EQ(geometryOf(about), expected[1]);
        clickKid(about, kAboutOkButton);
        EXPECT_TRUE(waitUntilHidden(kAboutTitle)) << "OK leaves About shown";
        media = open(kSelectByMediumButton, kMediaTitle);
        EXPECT_EQ(geometryOf(media), mediaAt);
        phase = open(kSelectByPhaseButton, kPhaseTitle);
        EXPECT_EQ(geometryOf(phase), phaseAt);
        return media != 0 && phase != 0;
    };
    ASSERT_NO_FATAL_FAILURE(launch());
    ASSERT_TRUE(expectWindowsInPlace());
    expectLinesAt({});
    {
        // (the window, its control, the lines then drawn)
        const QRect alphaToggle = mediumToggle(kAlpha);
        const std::vector<std::tuple<WindowId, QRect, std::vector<int>>> selections = {
            {media, alphaToggle, alpha},
            {media, mediumToggle(kBeta), columnsOf(start, {450, 520, 610})},
            {media, alphaToggle, columnsOf(start, {610})},
            {media, kMediaNoneButton, {}},
            {media, kMediaAllButton, all},
            {phase, kPhaseNoneButton, {}},
            {phase, kSolidButton, alpha},
            {phase, kLiquidButton, columnsOf(start, {450, 520, 610})},
            {phase, kGasButton, all},
            {phase, kSolidButton, columnsOf(start, {610, 700})},
            {phase, kPhaseNoneButton, {}},
            {phase, kPhaseAllButton, all},
            {main_, kClearButton, {}},
            // Gamma has a line in view (700 nm) and one outside it.
            {main_, kAvailableButton, all},
            {main_, kClearButton, {}},
            {main_, kAutoAvailToggle, all},
            // From now on every zoom selects what it shows: nothing within 570..580 nm.
            {main_, kMaxZoomButton, {}},
            {main_, kVisibleButton, all},
            {main_, kAutoAvailToggle, all},
            {main_, kClearButton, {}},
            {main_, kMaxZoomButton, {}},
            {main_, kVisibleButton, {}},
            {media, mediumToggle(kBeta), columnsOf(start, {610})},
        };
        for (std::size_t i = 0; i < selections.size(); ++i) {
            const auto& [window, control, lines] = selections[i];
            SCOPED_TRACE("selection step " + std::to_string(i + 1));
            clickKid(window, control);
            expectLinesAt(lines);
            if (i < 3) {
                const QPoint face =
                    geometryOf(media).topLeft() + alphaToggle.topLeft() + QPoint(4, 9);
                EXPECT_EQ(looksPressed(grab().pixel(face)), i < 2) << "Alpha's toggle";
            }
        }
        expectShown(start);
        // Zoom All frames the selection; AutoZoom does so at once and after each change of it,
        // and once switched off leaves the view alone.
        const SpectrumView aroundBeta = fitted(start, 610, 610);
        const SpectrumView alphaAndBeta = fitted(aroundBeta, 450, 610);
        const std::vector<std::tuple<WindowId, QRect, SpectrumView>> zooms = {
            {main_, kZoomAllButton, aroundBeta},    {main_, kVisibleButton, start},
            {main_, kAutoZoomToggle, aroundBeta},   {media, alphaToggle, alphaAndBeta},
            {main_, kAutoZoomToggle, alphaAndBeta}, {media, mediumToggle(kGamma), alphaAndBeta}};
        for (const auto& [window, control, view] : zooms) {
            clickKid(window, control);
            expectShown(view);
        }
        expectLinesAt(columnsOf(alphaAndBeta, {450, 520, 610, 700}));
        clickKid(media, kMediaCloseButton);
        clickKid(phase, kPhaseCloseButton);
        EXPECT_TRUE(waitUntilHidden(kMediaTitle) && waitUntilHidden(kPhaseTitle));
        clickKid(main_, kQuitButton);
        expectEndWritingPlacements(expected);
    }

    // The second start: Find with a name fragment selects its medium, End frames the selection,
    // the windows stand where the first start left them, Control+Q quits.
    ASSERT_NO_FATAL_FAILURE(launch());
    keys(main_, {"slash"});
    const WindowId find = waitForWindow("Find");
    ASSERT_NE(find, 0u);
    type(find, "ALP");
    keys(find, {"Return"});
    expectLinesAt(alpha);
    keys(find, {"Escape"});
    EXPECT_TRUE(waitUntilHidden("Find"));
    keys(main_, {"End"});
    expectShown(fitted(start, 450, 520));
    ASSERT_TRUE(expectWindowsInPlace());
    keys(main_, {"ctrl+q"});
    expectEndWritingPlacements(expected);
}

// Resting on a line brings up a readout beside the pointer, with a swatch in the colour of the
// line's medium (the second: the first has no line); leaving the picture or pressing on the band
// takes it away, and the band's drag zooms as ever.
TEST_F(Viewer, RestingOnALineNamesItAndLeavingOrPressingTakesItAway) {
    installCatalogue(CatalogueImage()
                         .medium("Dye", "liquid")
                         .medium("He-Ne", "gas")
                         .line("He-Ne", 632.816)
                         .bytes());
    ASSERT_NO_FATAL_FAILURE(launch());
    const WindowId phase = open(kSelectByPhaseButton, kPhaseTitle);
    clickKid(phase, kPhaseAllButton);
    clickKid(phase, kPhaseCloseButton);
    EXPECT_TRUE(waitUntilHidden(kPhaseTitle));
    const SpectrumView start = SpectrumView::startValues();
    const std::vector<int> line = columnsOf(start, {632.816});
    expectLinesAt(line);

    const QPoint onLine = mainPoint(line[0], 450);
    moveTo(onLine);
    const std::optional<QRect> box = waitForReadout(onLine, true);
    ASSERT_TRUE(box.has_value());
    EXPECT_TRUE(box->width() > 100 && box->height() > 20) << ::testing::PrintToString(*box);
    const QImage inside = grab().copy(*box);
    bool swatch = false;
    for (int y = 0; y < inside.height(); ++y)
        for (int x = 0; x < inside.width(); ++x)
            swatch |= inside.pixel(x, y) == eightBit(mediumIntensities(2));
    EXPECT_TRUE(swatch) << "no swatch in He-Ne's colour";
    moveTo(mainPoint(line[0], 650));
    waitForReadout(onLine, false);
    moveTo(onLine);
    waitForReadout(onLine, true);
    moveTo(origin_ + QPoint(-40, 450));
    waitForReadout(onLine, false);
    const QPoint bandStart = mainPoint(250, kBandRow);
    moveTo(bandStart);
    waitForReadout(bandStart, true);
    press(bandStart);
    waitForReadout(bandStart, false);
    moveTo(mainPoint(500, kBandRow));
    release(mainPoint(750, kBandRow));
    expectLinesAt(columnsOf(draggedOver(start, 250, 750, false), {632.816}));
    EXPECT_FALSE(readoutBeside(grab(), mainPoint(750, kBandRow)).has_value())
        << "a readout came back after the drag with no move";
    clickKid(main_, kQuitButton);
    expectEndWritingPlacements(centredPlacements());
}

// A catalogue cut in half is shown as far as it goes, with a warning; a main window stored where
// no screen shows it comes up centred, and the file then holds where it stood.
TEST_F(Viewer, HalfACatalogueAndAMainWindowOffEveryScreen) {
    const std::vector<std::uint8_t> catalogue = readBytes(QUORVANTA_CATALOGUE);
    installCatalogue({catalogue.begin(), catalogue.begin() + std::ptrdiff_t(catalogue.size() / 2)});
    quorvanta::testing::writeFile(
        settingsFile(), settingsBytes({QRect(30000, 30000, kMainWidth, kMainHeight), kNoPosition,
                                       kNoPosition, kNoPosition})
                            .toStdString());
    ASSERT_NO_FATAL_FAILURE(launch());
    EXPECT_EQ(geometryOf(main_), centred(kMainWidth, kMainHeight));
    EXPECT_TRUE(waitUntil([&] { return !otherWindowTitles().empty(); }, patience(10s)))
        << "no warning";
    clickKid(main_, kQuitButton);
    expectEndWritingPlacements(centredPlacements());
}

// Six hundred media, 4,652 pixels of toggles: the medium window fits the display and scrolls to
// its last toggle. Medium i has one line at 360 + 0.7 i nm, each in a column of its own.
TEST_F(Viewer, AMediumWindowWiderThanTheDisplayScrollsToItsLastToggle) {
    constexpr int kMedia = 600;
    CatalogueImage catalogue;
    for (int i = 1; i <= kMedia; ++i)
        catalogue.medium("Medium " + std::to_string(i), i % 2 ? "gas" : "solid");
    for (int i = 1; i <= kMedia; ++i)
        catalogue.line("Medium " + std::to_string(i), 360.0 + 0.7 * i);
    installCatalogue(catalogue.bytes());
    ASSERT_NO_FATAL_FAILURE(launch());
    const WindowId media = open(kSelectByMediumButton, kMediaTitle);
    ASSERT_NE(media, 0u);
    const QRect shown = geometryOf(media);
    EXPECT_EQ(shown.x(), 0) << "centred at the display's width";
    EXPECT_EQ(shown.width(), kScreenWidth);
    EXPECT_GT(shown.height(), kMediaHeight) << "the toggles' 20 rows and a scroll bar below";
    EXPECT_TRUE(QRect(0, 0, kScreenWidth, kScreenHeight).contains(shown));

    // The wheel scrolls sideways as far as it goes; the last toggle then stands at the right end.
    const QPoint over = shown.topLeft() + QPoint(shown.width() / 2, kMediaHeight / 2);
    const int overhang = mediaWindowWidth(kMedia) - shown.width();
    const int notches = overhang / kMediaColumnWidth + 2;
    for (int i = 0; i < notches; ++i)
        click(over, kWheelDown);
    clickKid(media, mediumToggle(kMedia).translated(-overhang, 0));
    for (int i = 0; i < notches; ++i)
        click(over, kWheelUp);
    clickKid(media, kMediaCloseButton);
    EXPECT_TRUE(waitUntilHidden(kMediaTitle));
    expectLinesAt({int(std::lround(SpectrumView::startValues().xOf(360.0 + 0.7 * kMedia)))});
    clickKid(main_, kQuitButton);
    Placements expected = centredPlacements();
    expected[2] = shown;  // where it really stood
    expectEndWritingPlacements(expected);
}

}  // namespace
}  // namespace quorvanta::e2e
