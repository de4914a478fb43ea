// The colour band and the axis ticks as they land on the main grid.
#include <string>
#include <vector>

#include "render_fixture.h"

namespace quorvanta::test {

namespace {

constexpr std::int32_t kBandTop = 525;
constexpr std::int32_t kBandMiddle = 550;
constexpr std::int32_t kBandBottom = 575;
constexpr std::int32_t kUpperMarkFarthest = 515;
constexpr std::int32_t kLowerMarkFarthest = 585;
const Rgb kMarkColour = rgbOfColour(93);
const Rgb kLabelColour = rgbOfColour(62);

struct BandRow {
    const char* name;
    std::int32_t scale;
    double centre;
    double width;
    std::int32_t blockWidth;
};

const BandRow kBandRows[] = {
    {"linear 150 nm paints single columns", Linear, 532, 150, 1},
    {"linear 200 nm still paints single columns", Linear, 500, 200, 1},
    {"logarithmic 150 nm uses blocks of 5", Logarithmic, 532, 150, 5},
    {"logarithmic 300 nm uses blocks of 4", Logarithmic, 575, 300, 4},
    {"linear 400 nm uses blocks of 4", Linear, 575, 400, 4},
    {"linear start view uses blocks of 3", Linear, 575, 450, 3},
    {"logarithmic start view uses blocks of 3", Logarithmic, 575, 450, 3},
    {"linear 2000 nm uses blocks of 2", Linear, 1010, 2000, 2},
    {"logarithmic full range uses blocks of 2", Logarithmic, 10005, 19990, 2},
};

TEST_F(RenderTest, ColourBandPaintsEachBlockInTheColourSampledOneColumnRightOfItsEdge) {
    for (const BandRow& row : kBandRows) {
        SCOPED_TRACE(row.name);
        setView(row.scale, row.centre, row.width);
        redraw();
        for (std::int32_t column = 0; column < kGridWidth; ++column) {
            const std::int32_t sampleX = column - column % row.blockWidth + 1;
            const double wavelength = wavelengthAt(row.scale, row.centre, row.width, sampleX);
            const Rgb expected = rgbOf(wavelengthIntensities(wavelength));
            bool differs = false;
            for (std::int32_t y : {kBandTop, kBandMiddle, kBandBottom}) {
                const Rgb actual = pixel(column, y);
                if (actual == expected) continue;
                ADD_FAILURE() << "column " << column << " row " << y << " is " << describe(actual)
                              << ", expected " << describe(expected) << " (" << wavelength
                              << " nm sampled at x = " << sampleX << ")";
                differs = true;
            }
            if (differs) break;
        }
    }
}

struct EvenBandRow {
    const char* name;
    double centre;
    double width;
    Intensities tone;
};

const EvenBandRow kEvenBandRows[] = {
    {"logarithmic view wholly above 800 nm is one infrared tone",
     5000,
     1000,
     {15073, 10486, 10486}},
    {"logarithmic view wholly below 350 nm is one ultraviolet tone",
     200,
     100,
     {15073, 10486, 15073}},
};

TEST_F(RenderTest, LogarithmicViewsOutsideTheSpectrumShowOneEvenTone) {
    for (const EvenBandRow& row : kEvenBandRows) {
        SCOPED_TRACE(row.name);
        setView(Logarithmic, row.centre, row.width);
        redraw();
        const Rgb expected = rgbOf(row.tone);
        for (std::int32_t y : {kBandTop, kBandBottom}) {
            EXPECT_EQ(countPixels(expected, 0, y, kGridWidth - 1, y), kGridWidth)
                << "row " << y << " should be " << describe(expected) << " all along";
        }
    }
}

// The marks a tick should have, above and below the band.
enum class Mark {
    None,        // nothing within 10 pixels of the band
    Short,       // 2 pixels
    Medium,      // 5 pixels
    Long,        // 10 pixels, one column
    ThickOuter,  // 10 pixels, three columns wide on the outer 5
    Thick,       // 10 pixels, three columns wide all along
};

struct TickExpectation {
    std::int32_t tick;
    Mark mark;
};

struct TickRow {
    const char* name;
    std::int32_t scale;
    double centre;
    double width;
    std::vector<TickExpectation> ticks;
};

const TickRow kTickRows[] = {
    {"full range linear: thick marks at the thousands only",
     Linear,
     10005,
     19990,
     {{1000, Mark::Thick},
      {10000, Mark::Thick},
      {19000, Mark::Thick},
      {1500, Mark::None},
      {7300, Mark::None}}},
    {"full range logarithmic: long marks below 5000 nm, thick ones at thousands",
     Logarithmic,
     10005,
     19990,
     {{200, Mark::Long},
      {2500, Mark::Long},
      {1000, Mark::ThickOuter},
      {3000, Mark::ThickOuter},
      {10000, Mark::Thick},
      {9500, Mark::None},
      {150, Mark::None}}},
    {"linear 250 nm: 1 nm ticks without 1 nm marks",
     Linear,
     575,
     250,
     {{451, Mark::None}, {455, Mark::None}, {460, Mark::Medium}, {500, Mark::Long}}},
    {"linear 249 nm: 1 nm marks appear",
     Linear,
     575,
     249,
     {{451, Mark::Short}, {460, Mark::Medium}}},
    {"logarithmic 500 nm: 1 nm ticks without 1 nm marks",
     Logarithmic,
     575,
     500,
     {{401, Mark::None}, {410, Mark::Medium}, {400, Mark::Long}}},
    {"logarithmic 140 nm: 1 nm marks", Logarithmic, 575, 140, {{571, Mark::Short}}},
    {"linear start view: every 10 nm, long at the hundreds",
     Linear,
     575,
     450,
     {{360, Mark::Medium}, {400, Mark::Long}, {700, Mark::Long}, {355, Mark::None}}},
};

}  // namespace

class TickMarks : public RenderTest {
  protected:
    // Column x is the mark colour exactly from the band's edge out to `length` pixels, on both
    // sides of the band, and not beyond.
    void expectMarkInColumn(std::int32_t x, std::int32_t length, const char* what) {
        for (std::int32_t distance = 1; distance <= 10; ++distance) {
            const bool marked = distance <= length;
            for (std::int32_t y : {kBandTop - distance, kBandBottom + distance}) {
                EXPECT_EQ(pixel(x, y) == kMarkColour, marked)
                    << what << ": column " << x << " row " << y << " is " << describe(pixel(x, y))
                    << (marked ? ", expected the mark" : ", expected no mark");
            }
        }
    }
    // Only the outer half (6..10 pixels from the band) is marked.
    void expectOuterHalfInColumn(std::int32_t x, const char* what) {
        for (std::int32_t distance = 1; distance <= 10; ++distance) {
            const bool marked = distance >= 6;
            for (std::int32_t y : {kBandTop - distance, kBandBottom + distance}) {
                EXPECT_EQ(pixel(x, y) == kMarkColour, marked)
                    << what << ": column " << x << " row " << y << " is " << describe(pixel(x, y));
            }
        }
    }
};

TEST_F(TickMarks, HaveTheirLengthAndThicknessOnBothSidesOfTheBand) {
    for (const TickRow& row : kTickRows) {
        SCOPED_TRACE(row.name);
        setView(row.scale, row.centre, row.width);
        redraw();
        for (const TickExpectation& tick : row.ticks) {
            SCOPED_TRACE("tick " + std::to_string(tick.tick));
            const double x = xOf(row.scale, row.centre, row.width, tick.tick);
            const std::int32_t column = pixelOf(x);
            const std::int32_t left = pixelOf(x - 1);
            const std::int32_t right = pixelOf(x + 1);
            switch (tick.mark) {
                case Mark::None:
                    EXPECT_EQ(
                        countPixels(kMarkColour, column, kUpperMarkFarthest, column, kBandTop - 1) +
                            countPixels(kMarkColour, column, kBandBottom + 1, column,
                                        kLowerMarkFarthest),
                        0)
                        << "column " << column << " should carry no mark";
                    break;
                case Mark::Short:
                    expectMarkInColumn(column, 2, "short mark");
                    break;
                case Mark::Medium:
                    expectMarkInColumn(column, 5, "medium mark");
                    break;
                case Mark::Long:
                    expectMarkInColumn(column, 10, "long mark");
                    expectMarkInColumn(left, 0, "left of a long mark");
                    expectMarkInColumn(right, 0, "right of a long mark");
                    break;
                case Mark::ThickOuter:
                    expectMarkInColumn(column, 10, "middle of a thousands mark");
                    expectOuterHalfInColumn(left, "left of a thousands mark");
                    expectOuterHalfInColumn(right, "right of a thousands mark");
                    break;
                case Mark::Thick:
                    for (std::int32_t c = left; c <= right; ++c)
                        if (c < kGridWidth) expectMarkInColumn(c, 10, "thick mark");
                    break;
            }
        }
    }
}

enum class Level { None, A, B, C };

struct LabelExpectation {
    std::int32_t tick;
    std::int32_t characters;
    Level level;
};

struct LabelRow {
    const char* name;
    std::int32_t scale;
    double centre;
    double width;
    std::vector<LabelExpectation> labels;
};

const LabelRow kLabelRows[] = {
    {"linear start view: the hundreds only",
     Linear,
     575,
     450,
     {{400, 3, Level::A},
      {500, 3, Level::A},
      {700, 3, Level::A},
      {450, 3, Level::None},
      {550, 3, Level::None}}},
    {"full range logarithmic: 1 to 5, 10, 15 micrometres",
     Logarithmic,
     10005,
     19990,
     {{1000, 2, Level::A},
      {2000, 2, Level::A},
      {5000, 2, Level::A},
      {10000, 3, Level::A},
      {15000, 3, Level::A},
      {6000, 2, Level::None},
      {7000, 2, Level::None},
      {12000, 3, Level::None}}},
    {"linear 20 nm: tens at level B, the others at level C",
     Linear,
     532,
     20,
     {{530, 3, Level::B}, {531, 3, Level::C}, {535, 3, Level::C}, {540, 3, Level::B}}},
};

// Upper and lower text rows of each level (top edge of the text).
std::int32_t upperRow(Level level) {
    return level == Level::A ? 500 : level == Level::B ? 505 : 510;
}
std::int32_t lowerRow(Level level) {
    return level == Level::A ? 588 : level == Level::B ? 583 : 578;
}

TEST_F(RenderTest, TickLabelsStandCentredOnTheirTicksAtTheirLevel) {
    // Glyphs start within the top few rows of their 10-pixel cell; the levels lie 5 rows apart.
    constexpr std::int32_t kGlyphTopSlack = 4;
    for (const LabelRow& row : kLabelRows) {
        SCOPED_TRACE(row.name);
        setView(row.scale, row.centre, row.width);
        redraw();
        for (const LabelExpectation& label : row.labels) {
            SCOPED_TRACE("tick " + std::to_string(label.tick));
            const std::int32_t x = pixelOf(xOf(row.scale, row.centre, row.width, label.tick));
            const std::int32_t half = 4 * label.characters;
            if (label.level == Level::None) {
                EXPECT_EQ(countPixels(kLabelColour, x - half, 500, x + half, 519) +
                              countPixels(kLabelColour, x - half, 578, x + half, 597),
                          0)
                    << "no label expected around column " << x;
                continue;
            }
            const std::int32_t upper = upperRow(label.level);
            const std::int32_t lower = lowerRow(label.level);
            std::int32_t upperTop = -1, lowerTop = -1;
            for (std::int32_t c = x - half; c < x + half; ++c) {
                const std::int32_t top = topmostRow(c, kLabelColour, 495, 524);
                if (top >= 0 && (upperTop < 0 || top < upperTop)) upperTop = top;
                const std::int32_t bottomTop = topmostRow(c, kLabelColour, 576, 599);
                if (bottomTop >= 0 && (lowerTop < 0 || bottomTop < lowerTop)) lowerTop = bottomTop;
            }
            EXPECT_GE(upperTop, upper) << "upper label starts above its level";
            EXPECT_LE(upperTop, upper + kGlyphTopSlack) << "upper label missing or too low";
            EXPECT_GE(lowerTop, lower) << "lower label starts above its level";
            EXPECT_LE(lowerTop, lower + kGlyphTopSlack) << "lower label missing or too low";
        }
    }
}

}  // namespace quorvanta::test
