// The emission lines: which are drawn, where they stand, their labels and the selected extent.
#include <cmath>
#include <limits>
#include <map>
#include <string>
#include <vector>

#include "render_fixture.h"
#include "spectrum/axis.h"

namespace quorvanta::test {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

constexpr std::int32_t kLineBottom = 524;
constexpr std::int32_t kLabelTop = 488;
const Rgb kWhite = rgbOfColour(124);
const Rgb kHeNeColour = rgbOfColour(MediumColour(2));

// He-Ne lines after an unselected medium, so that they are drawn for medium 2, whose colour (half
// red, full green and blue) is not the white of the lines.
void installHeNe(const std::vector<double>& wavelengths) {
    CatalogueImage catalogue;
    catalogue.medium("Dye", "liquid").medium("He-Ne", "gas");
    for (double wavelength : wavelengths)
        catalogue.line("He-Ne", wavelength);
    install(catalogue, {0, 1});
}

}  // namespace

class EmissionLines : public RenderTest {
  protected:
    void SetUp() override {
        RenderTest::SetUp();
        setView(Linear, 575, 450);
    }
    // The row where the white line in column x starts, or -1 when the column has none.
    std::int32_t lineTop(std::int32_t x) const {
        if (pixel(x, kLineBottom) != kWhite) return -1;
        return topmostRow(x, kWhite, 86, kLineBottom);
    }
    // Pixels of the colour in the text box of a label at column x raised by offset.
    std::int32_t labelPixels(Rgb colour, std::int32_t x, std::int32_t offset,
                             std::size_t characters) const {
        const std::int32_t top = kLabelTop - offset;
        return countPixels(colour, x, top, x + 8 * static_cast<std::int32_t>(characters) - 1,
                           top + 9);
    }
};

// Lines 2 nm apart (4.4 pixels) with five-character labels (gap 56 pixels), then one far right.
std::vector<double> crowdedLines(int count) {
    std::vector<double> wavelengths;
    for (int i = 0; i < count; ++i)
        wavelengths.push_back(400.5 + 2 * i);
    wavelengths.push_back(700.5);
    return wavelengths;
}
std::vector<std::int32_t> climbing(int count) {
    std::vector<std::int32_t> offsets;
    for (std::int32_t i = 0; i < count; ++i)
        offsets.push_back(std::min(10 * i, 410));
    offsets.push_back(0);
    return offsets;
}

struct StaggerRow {
    const char* name;
    std::vector<double> wavelengths;    // in stored order, in the linear start view
    std::vector<std::int32_t> offsets;  // how far each line climbs
};

// Labels of two decimals are six characters wide, gaps of 64 pixels; 0.45 nm a pixel.
const StaggerRow kStaggerRows[] = {
    {"twenty lines climb ten pixels each and drop back when the crowding ends", crowdedLines(20),
     climbing(20)},
    {"forty-five lines stop climbing at 410 pixels and then carry no label", crowdedLines(45),
     climbing(45)},
    {"the first line within its gap of x = 0 already climbs", {359.5}, {10}},
    {"the first line beyond its gap stands at offset 0", {381.64}, {0}},
    {"a line just left of the picture counts for the next and shows its label's visible part",
     {340.87, 363.64},
     {10, 20}},
    {"a line far left of the picture ends the crowding at x = 0", {259.87, 354.64}, {0, 0}},
    // 440.0, 441.4 and 442.7 nm crowd together, 442.7 nm at x = 206 rising to row 480.
    {"a later lower line in the same column leaves the top of an earlier one",
     {440.0, 441.4, 442.7, 665.0, 442.7},
     {0, 10, 20, 0, 0}},
};

// Labels stop climbing with their lines at 410 pixels; those wholly left of the picture are left
// out.
TEST_F(EmissionLines, CrowdedLinesClimbFromXZeroInStepsUpTo410Pixels) {
    for (const StaggerRow& row : kStaggerRows) {
        SCOPED_TRACE(row.name);
        installHeNe(row.wavelengths);
        redraw();
        std::map<std::int32_t, std::int32_t> highest;  // the largest offset in each column
        for (std::size_t i = 0; i < row.wavelengths.size(); ++i) {
            const std::int32_t column = columnOf(row.wavelengths[i]);
            highest[column] = std::max(highest[column], row.offsets[i]);
        }
        for (const auto& [column, offset] : highest) {
            if (column >= 0) {
                EXPECT_EQ(lineTop(column), 500 - offset) << "column " << column;
            }
        }
        for (std::size_t i = 0; i < row.wavelengths.size(); ++i) {
            const std::int32_t column = columnOf(row.wavelengths[i]);
            const std::size_t characters = formatWavelength(row.wavelengths[i]).size();
            const std::int32_t offset = row.offsets[i];
            EXPECT_EQ(labelPixels(kHeNeColour, column, offset, characters) > 0,
                      offset < 410 && column + 8 * static_cast<std::int32_t>(characters) > 0)
                << "label of line " << i + 1;
        }
    }
}

struct SingleLineRow {
    const char* name;
    std::int32_t scale;
    double wavelength;
    bool drawn, labelled;
};

// Lines stop at x = 950 on the linear scale and at 985 on the logarithmic one, and labels are
// left out that would run past 985.
const SingleLineRow kSingleLineRows[] = {
    {"linear: 777.23 nm at x = 949.4 is drawn", Linear, 777.23, true, false},
    {"linear: 777.59 nm at x = 950.2 is not", Linear, 777.59, false, false},
    {"logarithmic: 789.88 nm at x = 984.6 is drawn, in column 985", Logarithmic, 789.88, true,
     false},
    {"logarithmic: 790.27 nm at x = 985.2 is not", Logarithmic, 790.27, false, false},
    {"linear: \"768.5\" at x = 930 ends before 985", Linear, 768.5, true, true},
    {"linear: \"773.1234\" at x = 940 would pass 985", Linear, 773.1234, true, false},
    {"logarithmic: \"741\" at x = 907 fits", Logarithmic, 741, true, true},
    {"logarithmic: \"784.12\" at x = 976 would pass 985", Logarithmic, 784.12, true, false},
};

TEST_F(EmissionLines, StopAtTheRightHandLimitOfTheirScaleAndLeaveOutLabelsThatWouldPassIt) {
    for (const SingleLineRow& row : kSingleLineRows) {
        SCOPED_TRACE(row.name);
        setView(row.scale, 575, 450);
        installHeNe({row.wavelength});
        redraw();
        const std::int32_t column = columnOf(row.wavelength);
        EXPECT_EQ(lineTop(column), row.drawn ? 500 : -1) << "column " << column;
        const std::size_t characters = formatWavelength(row.wavelength).size();
        EXPECT_EQ(labelPixels(kHeNeColour, column, 0, characters) > 0, row.labelled);
    }
}

TEST_F(EmissionLines, ALaterLineAsHighRepaintsAnEarlierOneOverLabelsDrawnInBetween) {
    // After the crowd that raises 442.7 nm at x = 206 to row 480, 436.9 and 440.0 nm climb again;
    // their labels cross column 206, and a second 442.7 nm line as high paints the column over.
    std::vector<double> wavelengths = {440.0, 441.4, 442.7, 665.0, 436.9, 440.0};
    installHeNe(wavelengths);
    redraw();
    ASSERT_GT(countPixels(kHeNeColour, 206, 480, 206, 499), 0)
        << "the labels should cross column 206 for this test to mean anything";
    wavelengths.push_back(442.7);
    installHeNe(wavelengths);
    redraw();
    EXPECT_EQ(countPixels(kWhite, 206, 480, 206, kLineBottom), kLineBottom - 480 + 1)
        << "column 206 should be white from row 480 down to the band";
}

// Labels are kept from one redraw to the next; a catalogue loaded in between must not inherit
// the labels of the one before.
TEST_F(EmissionLines, LabelsFollowTheCatalogueNotTheRedrawBefore) {
    installHeNe({532});
    redraw();
    EXPECT_EQ(labelPixels(kHeNeColour, columnOf(532) + 24, 0, 3), 0) << "\"532\" is 24 pixels";
    installHeNe({532.25});  // the same transition number, 6 characters
    redraw();
    EXPECT_GT(labelPixels(kHeNeColour, columnOf(532.25) + 24, 0, 3), 0) << "\".25\" of the label";
}

struct SelectionRow {
    const char* name;
    std::vector<std::int32_t> selected;  // media 1 "Ar-ion", 2 "Kr-ion", 3 "Ar-ion"
    std::int32_t labelMedium;            // the colour of the 514.5 nm label; 0: no line
    double selectedMin, selectedMax;     // lines outside the displayed range count too
};

// In this order: each redraw starts the extent afresh.
const SelectionRow kSelectionRows[] = {
    {"both media of the name selected: the later one's colour", {1, 0, 1}, 3, 100, 15000},
    {"only the first of the name selected", {1, 0, 0}, 1, 100, 15000},
    {"the other name and the later of the name selected", {0, 1, 1}, 3, 20, 15000},
    {"neither of the name selected: no line", {0, 1, 0}, 0, 20, 700},
    {"nothing selected", {0, 0, 0}, 0, 20000, 10},
};

TEST_F(EmissionLines, TakeTheColourOfTheLastSelectedMediumOfTheirNameAndGiveTheExtent) {
    CatalogueImage catalogue;
    catalogue.medium("Ar-ion", "gas").medium("Kr-ion", "gas").medium("Ar-ion", "gas");
    catalogue.line("Ar-ion", 514.5).line("Kr-ion", 20).line("Ar-ion", 15000);
    install(catalogue.line("Kr-ion", 700).line("Ar-ion", 100));
    const std::int32_t column = columnOf(514.5);
    for (const SelectionRow& row : kSelectionRows) {
        SCOPED_TRACE(row.name);
        for (std::size_t m = 0; m < 3; ++m)
            program.database.mediumSelected[m + 1] = row.selected[m];
        redraw();
        EXPECT_EQ(lineTop(column), row.labelMedium == 0 ? -1 : 500);
        for (std::int32_t m : {1, 3}) {
            EXPECT_EQ(labelPixels(rgbOfColour(MediumColour(m)), column, 0, 5) > 0,
                      m == row.labelMedium)
                << "label pixels in the colour of medium " << m;
        }
        EXPECT_EQ(program.view.selectedMin, row.selectedMin);
        EXPECT_EQ(program.view.selectedMax, row.selectedMax);
    }
}

TEST_F(EmissionLines, HostileWavelengthsNeitherCrashNorSpoilTheExtentOrTheStaggering) {
    // Between 532 and 533 nm (2.2 pixels apart in the start views) lie only lines without a
    // position, which must not break the crowding: 533 nm stands 10 pixels higher.
    CatalogueImage catalogue;
    catalogue.medium("Dye", "liquid").medium("X", "gas").medium("Y", "gas");
    for (double wavelength : {532.0, kNaN, kInf, -kInf, 533.0, 1e308, -1e308,
                              std::numeric_limits<double>::denorm_min(), -5.0, 0.0})
        catalogue.line("X", wavelength);
    install(catalogue.line("Y", kNaN).line("Y", kInf), {0, 1, 1});
    for (std::int32_t scale : {Linear, Logarithmic}) {
        for (double width : {450.0, 19990.0}) {
            SCOPED_TRACE(std::string(scale == Linear ? "linear" : "logarithmic") + " width " +
                         std::to_string(width));
            setView(scale, width == 450 ? 575 : 10005, width);
            redraw();
            EXPECT_EQ(program.view.selectedMin, -1e308);
            EXPECT_EQ(program.view.selectedMax, 1e308);
            if (width == 450) {
                EXPECT_EQ(lineTop(columnOf(533)), 490) << "533 nm should climb above 532 nm";
            }
        }
    }
    // A medium whose lines are all NaN or infinite has no extent.
    program.database.mediumSelected[2] = 0;
    redraw();
    EXPECT_EQ(program.view.selectedMin, 20000);
    EXPECT_EQ(program.view.selectedMax, 10);
}

}  // namespace quorvanta::test
