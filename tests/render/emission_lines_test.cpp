// The emission lines: which are drawn, where they stand, their labels and the selected extent.
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "core/program.h"
#include "render_fixture.h"
#include "spectrum/axis.h"
#include "spectrum/renderer.h"

namespace quorvanta::test {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

constexpr std::int32_t kLineBottom = 524;
constexpr std::int32_t kPlotTop = 86;
constexpr std::int32_t kLabelTop = 488;
const Rgb kWhite = rgbOfColour(124);

// Start-view ranges: 350..800 nm.
constexpr double kStartCentre = 575;
constexpr double kStartWidth = 450;

// The wavelength that the start view on the given scale shows at x.
double startViewWavelength(std::int32_t scale, double x) {
    return wavelengthAt(scale, kStartCentre, kStartWidth, x);
}

// A catalogue with one unselected medium first, so that the shown medium is number 2, whose
// colour (half red, full green and blue) is not the white of the lines.
CatalogueBuilder oneShownMedium() {
    CatalogueBuilder catalogue;
    catalogue.medium("Dye", false).medium("He-Ne");
    return catalogue;
}

}  // namespace

class EmissionLines : public RenderTest {
  protected:
    // The row where the white line in column x starts, or -1 when the column has none.
    std::int32_t lineTop(std::int32_t x) const {
        if (pixel(x, kLineBottom) != kWhite) return -1;
        return topmostRow(x, kWhite, kPlotTop, kLineBottom);
    }
    // Pixels of the label colour of medium m in the text box of a label at column x, offset dy.
    std::int32_t labelPixels(std::int32_t medium, std::int32_t x, std::int32_t offset,
                             std::size_t characters) const {
        const std::int32_t top = kLabelTop - offset;
        return countPixels(rgbOfColour(MediumColour(medium)), x, top,
                           x + 8 * static_cast<std::int32_t>(characters) - 1, top + 9);
    }
};

struct LimitRow {
    const char* name;
    std::int32_t scale;
    double x;
    bool drawn;
};

const LimitRow kLimitRows[] = {
    {"logarithmic: x = 960 is drawn", Logarithmic, 960.0, true},
    {"linear: x = 960 is not drawn", Linear, 960.0, false},
    {"linear: x = 949.4 is drawn", Linear, 949.4, true},
    {"linear: x = 950.2 is not drawn", Linear, 950.2, false},
    {"logarithmic: x = 984.6 is drawn, in column 985", Logarithmic, 984.6, true},
    {"logarithmic: x = 985.2 is not drawn", Logarithmic, 985.2, false},
};

TEST_F(EmissionLines, StopAtTheRightHandLimitOfTheirScale) {
    for (const LimitRow& row : kLimitRows) {
        SCOPED_TRACE(row.name);
        oneShownMedium().line("He-Ne", startViewWavelength(row.scale, row.x)).install();
        setView(row.scale, kStartCentre, kStartWidth);
        redraw();
        const std::int32_t column = pixelOf(row.x);
        EXPECT_EQ(lineTop(column), row.drawn ? 500 : -1) << "column " << column;
    }
}

TEST_F(EmissionLines, CrowdedLinesClimbTenPixelsEachAndDropBackWhenTheCrowdingEnds) {
    // Twenty lines 2 nm apart (4.4 pixels) with five-character labels (gap 56 pixels), then one
    // far to the right.
    CatalogueBuilder catalogue = oneShownMedium();
    std::vector<double> wavelengths;
    for (int i = 0; i < 20; ++i)
        wavelengths.push_back(560.5 + 2 * i);
    wavelengths.push_back(700.5);
    for (double w : wavelengths)
        catalogue.line("He-Ne", w);
    catalogue.install();
    setView(Linear, kStartCentre, kStartWidth);
    redraw();
    for (std::size_t i = 0; i < wavelengths.size(); ++i) {
        const std::int32_t offset = i < 20 ? 10 * static_cast<std::int32_t>(i) : 0;
        const std::int32_t column = pixelOf(xOf(Linear, kStartCentre, kStartWidth, wavelengths[i]));
        EXPECT_EQ(lineTop(column), 500 - offset) << "line " << i + 1 << " at " << wavelengths[i];
        EXPECT_GT(labelPixels(2, column, offset, 5), 0) << "label of line " << i + 1;
    }
}

TEST_F(EmissionLines, StopClimbingAt410PixelsAndThenCarryNoLabel) {
    CatalogueBuilder catalogue = oneShownMedium();
    for (int i = 0; i < 45; ++i)
        catalogue.line("He-Ne", 400.5 + 2 * i);
    catalogue.install();
    setView(Linear, kStartCentre, kStartWidth);
    redraw();
    for (int i = 0; i < 45; ++i) {
        const std::int32_t offset = std::min(10 * i, 410);
        const std::int32_t column = pixelOf(xOf(Linear, kStartCentre, kStartWidth, 400.5 + 2 * i));
        EXPECT_EQ(lineTop(column), 500 - offset) << "line " << i + 1;
    }
    // The 42nd line and those after it would put their labels at rows 78..87.
    EXPECT_EQ(countPixels(rgbOfColour(MediumColour(2)), 0, 78, kGridWidth - 1, 87), 0);
}

struct StaggerRow {
    const char* name;
    std::vector<double> xs;  // positions of the lines in the linear start view, in stored order
    std::vector<std::int32_t> offsets;  // expected offsets of the lines on the picture
};

const StaggerRow kStaggerRows[] = {
    {"the first line within its gap of x = 0 already climbs", {21.1}, {10}},
    {"the first line beyond its gap stands at offset 0", {70.3}, {0}},
    {"a line just left of the picture counts for the next", {-20.3, 30.3}, {10, 20}},
    {"a line far left of the picture ends the crowding at x = 0", {-200.3, 10.3}, {0, 0}},
};

TEST_F(EmissionLines, StaggerFromXZeroAndCountLinesOffThePicture) {
    for (const StaggerRow& row : kStaggerRows) {
        SCOPED_TRACE(row.name);
        CatalogueBuilder catalogue = oneShownMedium();
        std::vector<double> wavelengths;
        for (double x : row.xs) {
            // Two decimals give five- or six-character labels, gaps of 56 or 64 pixels.
            wavelengths.push_back(std::round(startViewWavelength(Linear, x) * 100) / 100);
            catalogue.line("He-Ne", wavelengths.back());
        }
        catalogue.install();
        setView(Linear, kStartCentre, kStartWidth);
        redraw();
        for (std::size_t i = 0; i < row.xs.size(); ++i) {
            const std::int32_t column =
                pixelOf(xOf(Linear, kStartCentre, kStartWidth, wavelengths[i]));
            if (column < 0) continue;
            EXPECT_EQ(lineTop(column), 500 - row.offsets[i]) << "line at " << wavelengths[i];
        }
    }
}

TEST_F(EmissionLines, LabelOfALineJustLeftOfThePictureShowsItsVisiblePart) {
    const double wavelength = 341.25;  // x = -20, label 48 pixels wide
    oneShownMedium().line("He-Ne", wavelength).install();
    setView(Linear, kStartCentre, kStartWidth);
    redraw();
    EXPECT_GT(labelPixels(2, 0, 10, 3), 0) << "the right end of the label \"341.25\"";
}

// Three crowded lines put 442.7 nm at x = 206 with its top at row 480; a far line ends the
// crowding.
CatalogueBuilder tallLineAt206() {
    CatalogueBuilder catalogue = oneShownMedium();
    for (double w : {440.0, 441.4, 442.7, 665.0})
        catalogue.line("He-Ne", w);
    return catalogue;
}

TEST_F(EmissionLines, ALaterLowerLineInTheSameColumnLeavesTheTopOfAnEarlierOne) {
    tallLineAt206().line("He-Ne", 442.7).install();  // at offset 0 this time
    setView(Linear, kStartCentre, kStartWidth);
    redraw();
    EXPECT_EQ(lineTop(206), 480);
}

TEST_F(EmissionLines, ALaterLineAsHighRepaintsAnEarlierOneOverLabelsDrawnInBetween) {
    // 436.9 and 440.0 nm climb again towards x = 206; their labels cross the column of the first
    // 442.7 nm line, and a second 442.7 nm line at the same height paints the column over.
    auto crossingLabels = [] {
        CatalogueBuilder catalogue = tallLineAt206();
        catalogue.line("He-Ne", 436.9).line("He-Ne", 440.0);
        return catalogue;
    };
    setView(Linear, kStartCentre, kStartWidth);
    crossingLabels().install();
    redraw();
    ASSERT_GT(countPixels(rgbOfColour(MediumColour(2)), 206, 480, 206, 499), 0)
        << "the labels should cross column 206 for this test to mean anything";

    crossingLabels().line("He-Ne", 442.7).install();
    redraw();
    EXPECT_EQ(countPixels(kWhite, 206, 480, 206, kLineBottom), kLineBottom - 480 + 1)
        << "column 206 should be white from row 480 down to the band";
}

// Labels are kept from one redraw to the next; a catalogue loaded in between must not inherit
// the labels of the one before.
TEST_F(EmissionLines, LabelsFollowTheCatalogueNotTheRedrawBefore) {
    oneShownMedium().line("He-Ne", 532).install();
    setView(Linear, kStartCentre, kStartWidth);
    redraw();
    oneShownMedium().line("He-Ne", 532.25).install();  // the same transition number, 6 characters
    redraw();
    const std::int32_t column = pixelOf(xOf(Linear, kStartCentre, kStartWidth, 532.25));
    EXPECT_GT(labelPixels(2, column + 24, 0, 3), 0) << "\".25\" of the new label";
}

struct RightEdgeLabelRow {
    const char* name;
    std::int32_t scale;
    double wavelength;
    bool labelled;
};

const RightEdgeLabelRow kRightEdgeLabelRows[] = {
    {"linear: \"768.5\" at x = 930 ends before 985", Linear, 768.5, true},
    {"linear: \"773.1234\" at x = 940 would pass 985", Linear, 773.1234, false},
    {"logarithmic: \"741\" at x = 910 fits", Logarithmic, 741, true},
    {"logarithmic: \"784.12\" at x = 976 would pass 985", Logarithmic, 784.12, false},
};

TEST_F(EmissionLines, LeaveOutLabelsThatWouldRunPastTheRightEdge) {
    for (const RightEdgeLabelRow& row : kRightEdgeLabelRows) {
        SCOPED_TRACE(row.name);
        oneShownMedium().line("He-Ne", row.wavelength).install();
        setView(row.scale, kStartCentre, kStartWidth);
        redraw();
        const std::int32_t column =
            pixelOf(xOf(row.scale, kStartCentre, kStartWidth, row.wavelength));
        EXPECT_EQ(lineTop(column), 500) << "the line itself is always drawn";
        const std::size_t characters = formatWavelength(row.wavelength).size();
        EXPECT_EQ(labelPixels(2, column, 0, characters) > 0, row.labelled)
            << "label at column " << column;
    }
}

struct SharedNameRow {
    const char* name;
    std::vector<bool> selected;  // media 1 "Ar-ion", 2 "Kr-ion", 3 "Ar-ion"
    std::int32_t labelMedium;    // 0: the line is not shown
};

const SharedNameRow kSharedNameRows[] = {
    {"both media of the name selected: the later one's colour", {true, false, true}, 3},
    {"only the first selected", {true, false, false}, 1},
    {"only the later selected", {false, true, true}, 3},
    {"neither selected: no line", {false, true, false}, 0},
};

TEST_F(EmissionLines, TakeTheColourOfTheLastSelectedMediumOfTheirName) {
    for (const SharedNameRow& row : kSharedNameRows) {
        SCOPED_TRACE(row.name);
        CatalogueBuilder()
            .medium("Ar-ion", row.selected[0])
            .medium("Kr-ion", row.selected[1])
            .medium("Ar-ion", row.selected[2])
            .line("Ar-ion", 514.5)
            .install();
        setView(Linear, kStartCentre, kStartWidth);
        redraw();
        const std::int32_t column = pixelOf(xOf(Linear, kStartCentre, kStartWidth, 514.5));
        EXPECT_EQ(lineTop(column), row.labelMedium == 0 ? -1 : 500);
        for (std::int32_t m : {1, 3}) {
            EXPECT_EQ(labelPixels(m, column, 0, 5) > 0, m == row.labelMedium)
                << "label pixels in the colour of medium " << m;
        }
    }
}

struct ExtentStep {
    const char* name;
    std::vector<std::int32_t> selected;  // media "A", "B", "C"
    std::int32_t scale;
    double selectedMin;
    double selectedMax;
};

const ExtentStep kExtentSteps[] = {
    {"A: lines off the displayed range count", {1, 0, 0}, Linear, 100, 15000},
    {"A and B", {1, 1, 0}, Logarithmic, 20, 15000},
    {"C alone has no lines", {0, 0, 1}, Linear, 20000, 10},
    {"nothing selected", {0, 0, 0}, Logarithmic, 20000, 10},
    {"B alone", {0, 1, 0}, Logarithmic, 20, 700},
};

TEST_F(EmissionLines, EveryRedrawRecomputesTheExtentOfTheSelectedLines) {
    CatalogueBuilder()
        .medium("A")
        .medium("B")
        .medium("C")
        .line("A", 532)
        .line("B", 20)
        .line("A", 15000)
        .line("B", 700)
        .line("A", 100)
        .install();
    for (const ExtentStep& step : kExtentSteps) {
        SCOPED_TRACE(step.name);
        for (std::size_t m = 0; m < 3; ++m)
            program.database.mediumSelected[m + 1] = step.selected[m];
        program.view.scale = step.scale;
        redraw();
        EXPECT_EQ(program.view.selectedMin, step.selectedMin);
        EXPECT_EQ(program.view.selectedMax, step.selectedMax);
    }
}

struct HostileView {
    const char* name;
    std::int32_t scale;
    double centre;
    double width;
};

const HostileView kHostileViews[] = {
    {"linear start view", Linear, kStartCentre, kStartWidth},
    {"logarithmic start view", Logarithmic, kStartCentre, kStartWidth},
    {"linear full range", Linear, 10005, 19990},
    {"logarithmic full range", Logarithmic, 10005, 19990},
};

TEST_F(EmissionLines, HostileWavelengthsNeitherCrashNorSpoilTheExtentOrTheStaggering) {
    // Between 532 and 533 nm (2.2 pixels apart in the start views) lie only lines without a
    // position, which must not break the crowding: 533 nm stands 10 pixels higher.
    CatalogueBuilder()
        .medium("Dye", false)
        .medium("X")
        .medium("Y")
        .line("X", 532)
        .line("X", kNaN)
        .line("X", kInf)
        .line("X", -kInf)
        .line("X", 533)
        .line("X", 1e308)
        .line("X", -1e308)
        .line("X", std::numeric_limits<double>::denorm_min())
        .line("X", -5)
        .line("X", 0)
        .line("Y", kNaN)
        .line("Y", kInf)
        .install();
    for (const HostileView& view : kHostileViews) {
        SCOPED_TRACE(view.name);
        setView(view.scale, view.centre, view.width);
        redraw();
        EXPECT_EQ(program.view.selectedMin, -1e308);
        EXPECT_EQ(program.view.selectedMax, 1e308);
        if (view.width == kStartWidth) {
            const std::int32_t column = pixelOf(xOf(view.scale, view.centre, view.width, 533));
            EXPECT_EQ(lineTop(column), 490) << "533 nm should climb above 532 nm";
        }
    }
    // A medium whose lines are all NaN or infinite has no extent.
    program.database.mediumSelected[2] = 0;
    redraw();
    EXPECT_EQ(program.view.selectedMin, 20000);
    EXPECT_EQ(program.view.selectedMax, 10);
}

}  // namespace quorvanta::test
