// The colour band and the axis ticks as they land on the main grid.
#include <string>
#include <vector>

#include "render_fixture.h"
#include "spectrum/axis.h"
#include "spectrum/wavelength_colour.h"

namespace quorvanta::test {

namespace {

constexpr std::int32_t kBandTop = 525;
constexpr std::int32_t kBandBottom = 575;
const Rgb kMarkColour = rgbOfColour(93);
const Rgb kLabelColour = rgbOfColour(62);

constexpr Intensities kBlack{0, 0, 0};
constexpr Intensities kNdYagGreen{6102, 52428, 0};  // 532 nm
constexpr Intensities kUltraviolet{15073, 10486, 15073};
constexpr Intensities kInfrared{15073, 10486, 10486};

struct BandRow {
    const char* name;
    std::int32_t scale;
    double centre, width;
    std::int32_t column;  // a column whose colour is known
    Intensities colour;
};

const BandRow kBandRows[] = {
    {"linear 200 nm: single columns, 532 nm at column 499", Linear, 532, 200, 499, kNdYagGreen},
    {"logarithmic start view: blocks of 3, ending black at 800 nm", Logarithmic, 575, 450, 999,
     kBlack},
    {"logarithmic whole range: blocks of 2, ultraviolet at the left", Logarithmic, 10005, 19990, 0,
     kUltraviolet},
    {"wholly above 800 nm: one infrared tone", Logarithmic, 5000, 1000, 999, kInfrared},
    {"wholly below 350 nm: one ultraviolet tone", Logarithmic, 200, 100, 999, kUltraviolet},
};

}  // namespace

// Every column of rows 525..575 takes the colour of its block of the band's plan, the whole band
// that of the plan's single tone where no block covers it.
TEST_F(RenderTest, ColourBandPaintsItsPlanOverRows525To575) {
    for (const BandRow& row : kBandRows) {
        SCOPED_TRACE(row.name);
        setView(row.scale, row.centre, row.width);
        redraw();
        const ColourBandPlan plan = colourBandPlan(program.view);
        std::vector<Rgb> expected(kGridWidth,
                                  rgbOf(wavelengthIntensities(plan.wholeBandWavelength)));
        for (const BandBlock& block : plan.blocks)
            for (std::int32_t x = block.x1; x <= block.x2 && x < kGridWidth; ++x)
                expected[std::size_t(x)] = rgbOf(wavelengthIntensities(block.wavelength));
        EXPECT_EQ(describe(pixel(row.column, 550)), describe(rgbOf(row.colour)));
        for (std::int32_t x = 0; x < kGridWidth; ++x) {
            for (std::int32_t y : {kBandTop, 550, kBandBottom}) {
                ASSERT_EQ(describe(pixel(x, y)), describe(expected[std::size_t(x)]))
                    << "column " << x << " row " << y;
            }
        }
    }
}

namespace {

// Marks as ten characters per side of the band, from the row next to it outwards: '#' the mark
// colour, '.' anything else. Labels by the top rows of their text above and below the band.
struct TickRow {
    const char* name;
    std::int32_t scale;
    double centre, width;
    std::int32_t tick;
    const char* marks;                // the tick's own column
    const char* beside;               // the columns one pixel either side
    std::int32_t upperRow, lowerRow;  // 0: no label
};

const TickRow kTickRows[] = {
    {"linear 20 nm: 531 short, level C", Linear, 532, 20, 531, "##........", "..........", 510,
     578},
    {"linear 20 nm: 530 medium, level B", Linear, 532, 20, 530, "#####.....", "..........", 505,
     583},
    {"linear start view: 400 long, level A", Linear, 575, 450, 400, "##########", "..........", 500,
     588},
    {"linear start view: 450 medium, no label", Linear, 575, 450, 450, "#####.....", "..........",
     0, 0},
    {"logarithmic whole range: 200 long, no label", Logarithmic, 10005, 19990, 200, "##########",
     "..........", 0, 0},
    {"logarithmic whole range: 1000 thick on the outer half, level A", Logarithmic, 10005, 19990,
     1000, "##########", ".....#####", 500, 588},
    {"logarithmic whole range: 10000 thick all along", Logarithmic, 10005, 19990, 10000,
     "##########", "##########", 500, 588},
    {"logarithmic whole range: 6500 no mark", Logarithmic, 10005, 19990, 6500, "..........",
     "..........", 0, 0},
};

}  // namespace

class Ticks : public RenderTest {
  protected:
    std::string marks(std::int32_t x) const {
        std::string above, below;
        for (std::int32_t distance = 1; distance <= 10; ++distance) {
            above += pixel(x, kBandTop - distance) == kMarkColour ? '#' : '.';
            below += pixel(x, kBandBottom + distance) == kMarkColour ? '#' : '.';
        }
        return above == below ? above : above + " above, " + below + " below";
    }
    // The topmost row of label colour within rows top..bottom of columns x1..x2; 0 when none.
    std::int32_t labelTop(std::int32_t x1, std::int32_t x2, std::int32_t top,
                          std::int32_t bottom) const {
        for (std::int32_t y = top; y <= bottom; ++y)
            if (countPixels(kLabelColour, x1, y, x2, y) > 0) return y;
        return 0;
    }
};

TEST_F(Ticks, LandWithTheirMarksOnBothSidesOfTheBandAndTheirLabelsAtTheirLevel) {
    // Glyphs start within the top few rows of their 10-pixel cell; the levels lie 5 rows apart.
    constexpr std::int32_t kGlyphTopSlack = 4;
    for (const TickRow& row : kTickRows) {
        SCOPED_TRACE(row.name);
        setView(row.scale, row.centre, row.width);
        redraw();
        const double x = program.view.xOf(row.tick);
        EXPECT_EQ(marks(pixelOf(x)), row.marks);
        EXPECT_EQ(marks(pixelOf(x - 1)), row.beside) << "left of the tick";
        EXPECT_EQ(marks(pixelOf(x + 1)), row.beside) << "right of the tick";

        const auto half = static_cast<std::int32_t>(4 * formatWavelength(row.tick).size());
        const std::int32_t upper = labelTop(pixelOf(x) - half, pixelOf(x) + half - 1, 495, 524);
        const std::int32_t lower = labelTop(pixelOf(x) - half, pixelOf(x) + half - 1, 576, 599);
        if (row.upperRow == 0) {
            EXPECT_EQ(upper, 0) << "no label expected above the band";
            EXPECT_EQ(lower, 0) << "no label expected below the band";
            continue;
        }
        EXPECT_GE(upper, row.upperRow) << "upper label starts above its level";
        EXPECT_LE(upper, row.upperRow + kGlyphTopSlack) << "upper label missing or too low";
        EXPECT_GE(lower, row.lowerRow) << "lower label starts above its level";
        EXPECT_LE(lower, row.lowerRow + kGlyphTopSlack) << "lower label missing or too low";
    }
}

}  // namespace quorvanta::test
