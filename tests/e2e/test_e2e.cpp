// The real quorvanta binary driven like a user, each start checking many things in turn: the
// colour band shows which range is shown on which scale, the white lines which media are selected.
#include <algorithm>
#include <cmath>

#include "common/catalogue_image.h"
#include "harness.h"
#include "spectrum/anchored_zoom.h"
#include "spectrum/renderer.h"
#include "spectrum/spectrum_view.h"
#include "spectrum/wavelength_colour.h"

namespace quorvanta::e2e {
namespace {

using quorvanta::testing::CatalogueImage;
// The band's middle row, a scroll arrow's length, the vertical bar's first column.
constexpr int kBandRow = 550, kArrow = 15, kPlotRight = 985;
const QRgb kWhite = qRgb(255, 255, 255), kFrame = qRgb(0x80, 0x80, 0x80);

QRgb eightBit(const Intensities& c) {
    auto level = [](std::int32_t i) { return (2 * std::clamp(i, 0, 65535) + 257) / 514; };
    return qRgb(level(c.red), level(c.green), level(c.blue));
}

// The colour a view's band must have in each column, 0 where nothing is painted (8-bit levels).
std::vector<QRgb> expectedBand(const SpectrumView& view) {
    const ColourBandPlan plan = colourBandPlan(view);
    std::vector<QRgb> band(
        1000, plan.wholeBandFirst ? eightBit(wavelengthIntensities(plan.wholeBandWavelength)) : 0);
    for (const BandBlock& block : plan.blocks)
        for (int x = std::max(0, block.x1); x <= std::min(999, block.x2); ++x)
            band[x] = eightBit(wavelengthIntensities(block.wavelength));
    return band;
}
bool near(QRgb a, QRgb b) {
    return std::abs(qRed(a) - qRed(b)) <= 2 && std::abs(qGreen(a) - qGreen(b)) <= 2 &&
           std::abs(qBlue(a) - qBlue(b)) <= 2;
}

// The view a control must lead to: a copy changed, then clamped as the program clamps its view.
template <class Change>
SpectrumView changed(SpectrumView view, Change change) {
    change(view);
    view.clampView();
    return view;
}
// A zoom to a width that keeps the wavelength at the plot's middle in place.
SpectrumView zoomedTo(const SpectrumView& view, double width) {
    return changed(view, [&](SpectrumView& v) {
        v.centreOn(v.scale == Linear
                       ? v.viewCentre
                       : std::sqrt(v.viewCentre * v.viewCentre - v.viewWidth * v.viewWidth / 4),
                   width);
    });
}
// A drag over x1..x2: exactly that interval; with the right button a zoom out by the ratio.
SpectrumView draggedOver(const SpectrumView& view, int x1, int x2, bool right) {
    return changed(view, [&](SpectrumView& v) {
        const double a = v.wavelengthAt(x1), b = v.wavelengthAt(x2);
        v.viewWidth = right ? v.viewWidth * v.viewWidth / (b - a) : b - a;
        v.viewCentre = a + (b - a) / 2;
    });
}

std::vector<int> columnsOf(const SpectrumView& view, std::initializer_list<double> wavelengths) {
    std::vector<int> columns;
    for (const double wavelength : wavelengths)
        if (const double x = view.xOf(wavelength); x >= 0 && x < kPlotRight)
            columns.push_back(int(std::lround(x)));
    return columns;  // the wavelengths in order, so the columns too
}
// Lines of selected media end just above the band: white runs of 15 pixels, left of the bar.
std::vector<int> lineColumns(const QImage& screen, QPoint mainOrigin) {
    std::vector<int> columns;
    for (int x = 0; x < kPlotRight; ++x)
        for (int y = 400, run = 0; y <= 520 && run < 15; ++y)
            if ((run = screen.pixel(mainOrigin + QPoint(x, y)) == kWhite ? run + 1 : 0) == 15)
                columns.push_back(x);
    return columns;
}

// A readout box, its corner 16 pixels right of and below the pointer, at least this size.
bool readoutBeside(const QImage& screen, QPoint pointer, QSize size = QSize(0, 0)) {
    const QPoint corner = pointer + QPoint(16, 16);
    return screen.valid(corner + QPoint(size.width(), size.height())) &&
           screen.pixel(corner) == kFrame &&
           screen.pixel(corner + QPoint(2, 2)) == qRgb(0x20, 0x20, 0x20) &&
           screen.pixel(corner + QPoint(size.width(), 0)) == kFrame &&
           screen.pixel(corner + QPoint(0, size.height())) == kFrame;
}

class Viewer : public EndToEnd {
  protected:
    QPoint mainPoint(int x, int y) const { return origin_ + QPoint(x, y); }
    WindowId open(const QRect& button, const std::string& title) {
        clickKid(main_, button);
        return waitForWindow(title);
    }
    void park() { xdotool(QPoint(0, 1000)); }  // the pointer out of sight while the screen is read

    template <class Check>
    void expectScreen(Check check, const std::string& what) {
        EXPECT_TRUE(waitUntil([&] { return check(grab()); }, patience(10s))) << what;
    }
    void expectShown(const SpectrumView& view) {
        park();
        const std::vector<QRgb> band = expectedBand(view);
        expectScreen(
            [&](const QImage& screen) {
                for (int x = 0; x < 1000; ++x)
                    if (band[x] && !near(screen.pixel(mainPoint(x, kBandRow)), band[x]))
                        return false;
                return true;
            },
            "the band does not show " + std::to_string(view.leftEnd()) + ".." +
                std::to_string(view.rightEnd()) + (view.scale == Linear ? " linear" : " log"));
    }
    void expectLinesAt(const std::vector<int>& columns) {
        park();
        expectScreen([&](const QImage& s) { return lineColumns(s, origin_) == columns; },
                     "lines not in columns " + ::testing::PrintToString(columns));
    }
    void expectReadout(QPoint pointer, bool shown, QSize size = QSize(0, 0)) {
        expectScreen([&](const QImage& s) { return readoutBeside(s, pointer, size) == shown; },
                     shown ? "no readout beside the pointer" : "the readout is still there");
    }
    bool whiteAt(const QImage& screen, int x) const {  // a marker's row below the lines
        return screen.pixel(mainPoint(x, 530)) == kWhite;
    }

    // The middle of a scroll bar's thumb, the longest bright run between its arrows.
    QPoint thumbOf(const QRect& bar) const {
        const bool across = bar.width() > bar.height();
        const QImage screen = grab();
        int best = 0, bestLength = 0, runStart = 0, run = 0;
        for (int i = kArrow; i < (across ? bar.width() : bar.height()) - kArrow; ++i) {
            const QRgb c = screen.pixel(across ? mainPoint(bar.x() + i, bar.center().y())
                                               : mainPoint(bar.center().x(), bar.y() + i));
            run = qRed(c) >= 0xF0 && qGreen(c) >= 0xF0 && qBlue(c) >= 0xF0 ? run + 1 : 0;
            if (run == 1) runStart = i;
            if (run > bestLength) best = runStart, bestLength = run;
        }
        const int middle = best + bestLength / 2;
        return across ? QPoint(bar.x() + middle, bar.center().y())
                      : QPoint(bar.center().x(), bar.y() + middle);
    }
};

// No catalogue: the built-in copy. A 10-byte settings file: not even the main record is whole.
TEST_F(Viewer, EveryControlOfTheMainWindowOnTheBuiltInCatalogue) {
    writeFile(settingsFile(),
              settingsBytes({QRect(200, 100, kMainWidth, kMainHeight)}).substr(0, 10));
    ASSERT_NE(start(), 0u);
    EXPECT_EQ(geometryOf(main_), centred(kMainWidth, kMainHeight));
    EXPECT_EQ(otherWindowTitles(), "") << "a warning";
    const SpectrumView start = SpectrumView::startValues();
    expectShown(start);
    const QRect picture(origin_, QSize(kMainWidth, 620));
    for (const QRect& bar : {kHorizontalBar, kVerticalBar}) {
        park();
        const QImage before = grab().copy(picture);
        click(mainPoint(bar.x() + bar.width() * 4 / 5, bar.y() + bar.height() * 4 / 5), kRight);
        park();
        EXPECT_FALSE(waitUntil([&] { return grab().copy(picture) != before; }, 500ms))
            << "a right click on a scroll bar moved something or opened a menu";
    }

    // What is clicked or dragged to (main window points or a bar's thumb; X's button), the view it
    // leads to, whether Visible then brings back the start view. A bar's arrows share one action.
    const SpectrumView linear = changed(start, [](SpectrumView& v) { v.scale = Linear; });
    const SpectrumView whole = changed(start, [](SpectrumView& v) {
        v.viewWidth = v.maxWidth;
        v.viewCentre = v.maxWidth / 2 + v.lowerBound;
    });
    auto scrolledTo = [&](double c) {
        return changed(start, [&](SpectrumView& v) { v.viewCentre = c; });
    };
    auto clickedAt = [&](int x, double factor) {
        return changed(
            start, [&](SpectrumView& v) { v.centreOn(v.wavelengthAt(x), v.viewWidth * factor); });
    };
    auto wheeled = [](SpectrumView v, double factor) {
        return changed(v, [&](SpectrumView& w) { zoomAboutColumn(w, 250, w.viewWidth * factor); });
    };
    const int row = kHorizontalBar.center().y(), column = kVerticalBar.center().x();
    const QPoint linLog = kLinLogButton.center(), left = {250, kBandRow}, right = {750, kBandRow};
    const QPoint kHThumb(-1, 0), kVThumb(0, -1);
    // The horizontal bar reports its thumb against 20000, the vertical one widths against 19995.
    const SpectrumView widest = zoomedTo(start, 19990.0 * (19990.0 / 19995.0));
    struct Step {
        const char* name;
        QPoint at;
        SpectrumView view;
        bool thenVisible = false;
        int button = kLeft;
        QPoint to = {};  // a drag when set
    };
    const std::vector<Step> steps = {
        {"Max Zoom", kMaxZoomButton.center(),
         changed(start, [](SpectrumView& v) { v.viewWidth = v.minWidth; })},
        {"Min Zoom", kMinZoomButton.center(), whole},
        {"Visible", kVisibleButton.center(), start},
        // An arrow steps by a fiftieth, the trough by a tenth; up zooms in by 0.98 or 0.9.
        {"HBar right arrow", QPoint(1000 - kArrow / 2, row), scrolledTo(584), true},
        {"HBar trough right of the thumb", QPoint(500, row), scrolledTo(620)},
        {"HBar trough left of the thumb", QPoint(kArrow + 4, row), start},
        {"VBar up arrow", QPoint(column, kArrow / 2), zoomedTo(start, start.viewWidth * 0.98),
         true},
        {"VBar trough below the thumb", QPoint(column, 250), zoomedTo(start, start.viewWidth / 0.9),
         true},
        {"HBar thumb past the left end", kHThumb, scrolledTo(235.0 * 20000.0 / 19999.0), false,
         kLeft, QPoint(-100, row)},
        {"HBar thumb past the right end", kHThumb, scrolledTo(19775.0 * 20000.0 / 19999.0), true,
         kLeft, QPoint(1100, row)},
        {"VBar trough above the thumb", QPoint(column, kArrow + 2),
         zoomedTo(start, start.viewWidth * 0.9)},
        {"VBar thumb past the lower end", kVThumb, widest, false, kLeft, QPoint(column, 600)},
        {"VBar thumb past the upper end", kVThumb, zoomedTo(widest, 10.0 * (19990.0 / 19995.0)),
         true, kLeft, QPoint(column, -100)},
        {"band left click", QPoint(500, kBandRow), clickedAt(500, 0.9), true},
        {"band right click", QPoint(0, kBandRow), clickedAt(0, 1 / 0.9), true, kRight},
        {"band left drag", left, draggedOver(start, 250, 750, false), true, kLeft, right},
        {"band left drag leftwards", right, draggedOver(start, 250, 750, false), true, kLeft, left},
        {"band right drag: out by the ratio", left, draggedOver(start, 250, 750, true), true,
         kRight, right},
        {"a drag from off the band starts nothing", QPoint(200, 300), start, false, kLeft, right},
        {"Lin/Log: the start range, so nothing happened", linLog, linear},
        {"Lin/Log again", linLog, start},
        {"wheel forward", QPoint(250, 300), wheeled(start, 0.9), false, kWheelUp},
        {"wheel back", QPoint(250, 300), wheeled(wheeled(start, 0.9), 1 / 0.9), true, kWheelDown},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        const QPoint at = step.at == kHThumb   ? thumbOf(kHorizontalBar)
                          : step.at == kVThumb ? thumbOf(kVerticalBar)
                                               : step.at;
        if (step.to.isNull())
            click(origin_ + at, step.button);
        else
            drag(origin_ + at, origin_ + step.to, step.button);
        expectShown(step.view);
        if (step.thenVisible) clickKid(main_, kVisibleButton), expectShown(start);
    }

    for (const int button : {kLeft, kRight}) {
        SCOPED_TRACE(button == kLeft ? "the left button held" : "the right button held");
        // The press handled before the pointer moves on: under load the viewer may see it late.
        xdotool(mainPoint(300, kBandRow), "mousedown", button);
        expectScreen([&](const QImage& s) { return whiteAt(s, 300); }, "no marker at the press");
        xdotool(mainPoint(450, kBandRow));
        xdotool(mainPoint(600, kBandRow));
        expectScreen(
            [&](const QImage& s) { return whiteAt(s, 300) && whiteAt(s, 600) && !whiteAt(s, 450); },
            "no white markers at columns 300 and 600");
        EXPECT_FALSE(
            waitUntil([&] { return readoutBeside(grab(), mainPoint(600, kBandRow)); }, 300ms))
            << "a readout while the button is held";
        xdotool(mainPoint(600, kBandRow + 55), "mouseup", button);
        park();
        expectScreen([&](const QImage& s) { return !whiteAt(s, 300) && !whiteAt(s, 600); },
                     "the markers stay after the release");
        expectShown(start);
    }

    // Home, L twice, then Control+F 1064: the nearest line in the middle, its medium drawn.
    const SpectrumView linearWhole = changed(whole, [](SpectrumView& v) { v.scale = Linear; });
    for (const auto& [key, view] : {std::pair{"Home", whole}, {"l", linearWhole}, {"l", whole}})
        keys(main_, key), expectShown(view);
    expectLinesAt({});
    keys(main_, "ctrl+f");
    const WindowId find = waitForWindow("Find");
    keys(find, "1064", "type");
    keys(find, "Return");
    expectShown(changed(whole, [](SpectrumView& v) { v.centreOn(1064, 1064 * 0.02); }));
    park();
    expectScreen(
        [&](const QImage& s) { return std::ranges::count(lineColumns(s, origin_), 500) == 1; },
        "no white line in column 500");
    keys(find, "Escape");
    EXPECT_TRUE(waitUntilHidden("Find"));
    clickKid(main_, kVisibleButton);
    clickKid(main_, kClearButton);
    expectLinesAt({});

    // Each window centred, hidden by its button and its close control; All selects every medium.
    for (const auto& [button, title, close, i] :
         {std::tuple{kAboutButton, kAboutTitle, kAboutOkButton, 1},
          {kSelectByMediumButton, kMediaTitle, kMediaCloseButton, 2},
          {kSelectByPhaseButton, kPhaseTitle, kPhaseCloseButton, 3}}) {
        SCOPED_TRACE(title);
        WindowId window = open(button, title);
        EXPECT_EQ(geometryOf(window), centredPlacements()[i]);
        if (title == kPhaseTitle) clickKid(window, kPhaseAllButton);
        clickKid(window, close);
        EXPECT_TRUE(waitUntilHidden(title)) << "its button leaves it shown";
        if (!requestClose(window = open(button, title))) clickKid(window, close);
        EXPECT_TRUE(waitUntilHidden(title)) << "its close control leaves it shown";
        EXPECT_TRUE(viewerRunning()) << "its close control ended the program";
    }

    {
        SCOPED_TRACE("Control+S, Control+E, Control+C: the picture and the lines in view");
        auto saveThroughDialog = [&](const QString& key, const std::string& title,
                                     const std::string& name) {
            keys(main_, key);
            const WindowId dialog = waitForWindow(title);
            keys(dialog, "ctrl+a");  // the proposed name, wherever the cursor stands
            keys(dialog, QString::fromStdString((folder_ / name).string()), "type");
            keys(dialog, "Return");
            EXPECT_TRUE(waitUntil([&] { return fs::exists(folder_ / name); }, patience(20s)))
                << "nothing saved as " << name;
            EXPECT_TRUE(waitUntilHidden(title));
        };
        saveThroughDialog("ctrl+s", "Quorvanta - save the picture", "picture.png");
        const QImage saved(QString::fromStdString((folder_ / "picture.png").string()));
        ASSERT_EQ(saved.size(), QSize(1000, 600));
        // The screen shows the saved picture, but for the scroll bar: the export changed nothing.
        park();
        const QImage plot = saved.copy(0, 0, kPlotRight, 600).convertToFormat(QImage::Format_RGB32);
        expectScreen([&](const QImage& s) { return s.copy(QRect(origin_, plot.size())) == plot; },
                     "the screen differs from the saved picture");
        const Output lines =
            run(QUORVANTA_DBTOOL, {"lines", QUORVANTA_CATALOGUE, "--from", "350", "--to", "800"});
        saveThroughDialog("ctrl+e", "Quorvanta - save the lines", "lines.csv");
        EXPECT_EQ(readText(folder_ / "lines.csv"), lines.out.toStdString());
        EXPECT_EQ(otherWindowTitles(), "") << "a dialog still open";
        keys(main_, "ctrl+c");
        auto clipboard = [] { return run("xclip", {"-selection", "clipboard", "-o"}).out; };
        if (QStandardPaths::findExecutable("xclip").isEmpty())
            std::cerr << "xclip is not installed: the clipboard is not checked\n";
        else
            EXPECT_TRUE(waitUntil([&] { return clipboard() == lines.out; }, patience(10s)))
                << "not the lines on the clipboard";
    }

    // The main window's close control quits like Quit; every window shown reports where it stood.
    if (!requestClose(main_)) clickKid(main_, kQuitButton);
    expectEndWritingPlacements(centredPlacements());
}

// Every selection control, the windows stored beside the main window (sizes in the file ignored),
// a second start reading the file; three media in three phases, lines in and out of 350..800 nm.
TEST_F(Viewer, SelectionWindowsReadoutAndFindWithWindowsWhereTheSettingsPutThem) {
    constexpr int kAlpha = 1, kBeta = 2, kGamma = 3;
    CatalogueImage image;
    image.medium("Alpha", "solid").medium("Beta", "liquid").medium("Gamma", "gas");
    image.line("Alpha", 450.0).line("Beta", 610.0).line("Gamma", 700.0).line("Alpha", 520.0);
    installCatalogue(image.line("Gamma", 1500.0).bytes());
    const QRect mainAt(60, 20, kMainWidth, kMainHeight);
    const QRect mediaAt(1150, 0, mediaWindowWidth(3), kMediaHeight);  // partly off the screen
    const QRect phaseAt(-1, 950, kPhaseWidth, kPhaseHeight);          // a position, not centring
    writeFile(settingsFile(), settingsBytes({QRect(60, 20, 1, 1), kNoPosition, QRect(1150, 0, 0, 0),
                                             QRect(-1, 950, 0, 0)}));
    const Placements expected = {mainAt, centredPlacements()[1], mediaAt, phaseAt};
    const SpectrumView start = SpectrumView::startValues();
    const std::vector<int> none,
        alpha = columnsOf(start, {450, 520}), all = columnsOf(start, {450, 520, 610, 700}),
        alphaBeta = columnsOf(start, {450, 520, 610}), beta = columnsOf(start, {610}),
        notAlpha = columnsOf(start, {610, 700});

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
    ASSERT_NE(EndToEnd::start(), 0u);
    ASSERT_TRUE(expectWindowsInPlace());
    expectLinesAt({});
    // (the window, its control, the lines then drawn). Gamma has a line in view (700 nm) and one
    // outside it. Once AutoAvail is on, every zoom selects what it shows: nothing in 570..580 nm.
    const QRect alphaToggle = mediumToggle(kAlpha), betaToggle = mediumToggle(kBeta);
    const std::vector<std::tuple<WindowId, QRect, std::vector<int>>> selections = {
        {media, alphaToggle, alpha},     {media, betaToggle, alphaBeta},
        {media, alphaToggle, beta},      {media, kMediaNoneButton, none},
        {media, kMediaAllButton, all},   {phase, kPhaseNoneButton, none},
        {phase, kSolidButton, alpha},    {phase, kLiquidButton, alphaBeta},
        {phase, kGasButton, all},        {phase, kSolidButton, notAlpha},
        {phase, kPhaseNoneButton, none}, {phase, kPhaseAllButton, all},
        {main_, kClearButton, none},     {main_, kAvailableButton, all},
        {main_, kClearButton, none},     {main_, kAutoAvailToggle, all},
        {main_, kMaxZoomButton, none},   {main_, kVisibleButton, all},
        {main_, kAutoAvailToggle, all},  {main_, kClearButton, none},
        {main_, kMaxZoomButton, none},   {main_, kVisibleButton, none},
        {media, betaToggle, beta}};
    const QPoint alphaFace = geometryOf(media).topLeft() + alphaToggle.topLeft() + QPoint(4, 9);
    for (std::size_t i = 0; i < selections.size(); ++i) {
        const auto& [window, control, lines] = selections[i];
        SCOPED_TRACE("selection step " + std::to_string(i + 1));
        clickKid(window, control);
        expectLinesAt(lines);
        const QRgb c = grab().pixel(alphaFace);
        const bool blue = qBlue(c) > qRed(c) + 60 && qBlue(c) > qGreen(c) + 30;  // pressed
        EXPECT_TRUE(i > 2 || blue == (i < 2)) << "Alpha's toggle";
    }
    expectShown(start);

    // Resting on Beta's line: a readout with a swatch in its medium's colour, gone when the pointer
    // leaves the picture or presses on the band; the band's drag zooms as ever.
    const QPoint onLine = mainPoint(beta[0], 450), band = mainPoint(250, kBandRow);
    xdotool(onLine);
    expectReadout(onLine, true, QSize(100, 20));  // the pointer's wavelength and the line's row
    const QImage box = grab().copy(QRect(onLine + QPoint(16, 16), QSize(160, 40)));
    const std::span pixels(reinterpret_cast<const QRgb*>(box.constBits()), box.sizeInBytes() / 4);
    EXPECT_GT(std::ranges::count(pixels, eightBit(mediumIntensities(kBeta))), 0)
        << "no swatch in Beta's colour";
    for (const auto& [to, at, shown] : std::vector<std::tuple<QStringList, QPoint, bool>>{
             {words(onLine + QPoint(0, 200)), onLine, false},
             {words(onLine), onLine, true},
             {words(origin_ + QPoint(-40, 450)), onLine, false},
             {words(band), band, true},
             {words(band) + words("mousedown") + words(kLeft), band, false}}) {
        xdotool(to);
        expectReadout(at, shown);
    }
    xdotool(mainPoint(500, kBandRow), mainPoint(750, kBandRow), "mouseup", kLeft);
    expectLinesAt(columnsOf(draggedOver(start, 250, 750, false), {610}));
    EXPECT_FALSE(readoutBeside(grab(), mainPoint(750, kBandRow))) << "a readout after the drag";

    // Zoom All frames the selection; AutoZoom at once and after each change, until switched off.
    const SpectrumView aroundBeta = changed(start, [](SpectrumView& v) { v.fitRange(610, 610); });
    const SpectrumView alphaAndBeta =
        changed(aroundBeta, [](SpectrumView& v) { v.fitRange(450, 610); });
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

    // Find by a name fragment, End frames the selection, the windows where the first start left.
    ASSERT_NE(EndToEnd::start(), 0u);
    keys(main_, "slash");
    const WindowId find = waitForWindow("Find");
    ASSERT_NE(find, 0u);
    keys(find, "ALP", "type");
    keys(find, "Return");
    expectLinesAt(alpha);
    keys(find, "Escape");
    EXPECT_TRUE(waitUntilHidden("Find"));
    keys(main_, "End");
    expectShown(changed(start, [](SpectrumView& v) { v.fitRange(450, 520); }));
    ASSERT_TRUE(expectWindowsInPlace());
    keys(main_, "ctrl+q");
    expectEndWritingPlacements(expected);
}

// 600 media (a line each at 360 + 0.7 i nm): the medium window fits the display and scrolls to its
// last toggle. Then half a catalogue with a warning, the main window stored off every screen.
TEST_F(Viewer, AWideMediumWindowScrollsAndHalfACatalogueStartsOffEveryScreen) {
    constexpr int kMedia = 600;
    CatalogueImage catalogue;
    for (int i = 1; i <= kMedia; ++i)
        catalogue.medium("Medium " + std::to_string(i), i % 2 ? "gas" : "solid")
            .line("Medium " + std::to_string(i), 360.0 + 0.7 * i);
    installCatalogue(catalogue.bytes());
    ASSERT_NE(start(), 0u);
    const WindowId media = open(kSelectByMediumButton, kMediaTitle);
    ASSERT_NE(media, 0u);
    const QRect shown = geometryOf(media);
    EXPECT_TRUE(shown.x() == 0 && shown.width() == kScreenWidth && shown.height() > kMediaHeight &&
                QRect(0, 0, kScreenWidth, kScreenHeight).contains(shown))
        << ::testing::PrintToString(shown);
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

    const std::vector<std::uint8_t> whole = readBytes(QUORVANTA_CATALOGUE);
    installCatalogue({whole.begin(), whole.begin() + std::ptrdiff_t(whole.size() / 2)});
    writeFile(settingsFile(), settingsBytes({QRect(30000, 30000, kMainWidth, kMainHeight),
                                             kNoPosition, kNoPosition, kNoPosition}));
    ASSERT_NE(start(), 0u);
    EXPECT_EQ(geometryOf(main_), centred(kMainWidth, kMainHeight));
    EXPECT_TRUE(waitUntil([&] { return !otherWindowTitles().empty(); }, patience(10s)))
        << "no warning";
    clickKid(main_, kQuitButton);
    expectEndWritingPlacements(centredPlacements());
}

}  // namespace
}  // namespace quorvanta::e2e
