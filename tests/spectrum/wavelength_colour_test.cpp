#include "spectrum/wavelength_colour.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <ostream>

#include "view_fixtures.h"

namespace quorvanta {

std::ostream& operator<<(std::ostream& out, const Intensities& colour) {
    return out << "(" << colour.red << ", " << colour.green << ", " << colour.blue << ")";
}

namespace {

using test::viewOf;

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

constexpr Intensities kBlack{0, 0, 0};
constexpr Intensities kUltraviolet{15073, 10486, 15073};  // (0.23, 0.16, 0.23)
constexpr Intensities kInfrared{15073, 10486, 10486};     // (0.23, 0.16, 0.16)

struct ColourRow {
    const char* name;
    double wavelength;
    Intensities colour;
};

const ColourRow kColourRows[] = {
    {"start of the spectrum is black", 350, kBlack},
    {"end of the spectrum is black", 800, kBlack},
    {"just below the spectrum", 349.9, kUltraviolet},
    {"just above the spectrum", 800.1, kInfrared},
    {"far ultraviolet", 10, kUltraviolet},
    {"far infrared", 20000, kInfrared},
    {"frequency-doubled Nd:YAG green", 532, {6102, 52428, 0}},
    {"helium-neon red", 632.8, {49829, 10841, 0}},
    {"argon-ion blue", 488, {0, 43317, 36444}},
    {"ruby red", 694.3, {32583, 0, 0}},
    {"NaN takes the ultraviolet tone", kNaN, kUltraviolet},
    {"minus infinity", -kInf, kUltraviolet},
    {"plus infinity", kInf, kInfrared},
};

TEST(WavelengthColour, GivesTheTableColours) {
    for (const ColourRow& row : kColourRows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(wavelengthIntensities(row.wavelength), row.colour)
            << "wavelength " << row.wavelength;
    }
}

// The turning points of the spectrum, as fractions of full intensity.
struct AnchorRow {
    const char* name;
    double wavelength;
    double red, green, blue;
};

const AnchorRow kAnchors[] = {
    {"dim violet", 381, 0.14, 0, 0.14}, {"blue peak", 444, 0, 0, 0.5},
    {"full green", 526, 0, 0.8, 0},     {"yellow", 586, 0.8, 0.8, 0},
    {"red", 645, 0.75, 0, 0},
};

TEST(WavelengthColour, PassesThroughTheTurningPointsOfTheSpectrum) {
    for (const AnchorRow& row : kAnchors) {
        SCOPED_TRACE(row.name);
        const Intensities colour = wavelengthIntensities(row.wavelength);
        EXPECT_NEAR(colour.red, row.red * 65535, 1) << colour;
        EXPECT_NEAR(colour.green, row.green * 65535, 1) << colour;
        EXPECT_NEAR(colour.blue, row.blue * 65535, 1) << colour;
    }
}

TEST(WavelengthColour, IsContinuousAcrossEveryRangeBoundaryInsideTheSpectrum) {
    // A wrong constant or sign in one range shows as a jump where two ranges meet.
    for (double boundary : {381.0, 412.0, 444.0, 485.0, 526.0, 555.0, 586.0, 645.0, 723.0}) {
        const Intensities below = wavelengthIntensities(std::nextafter(boundary, 0.0));
        const Intensities at = wavelengthIntensities(boundary);
        EXPECT_LE(std::abs(below.red - at.red), 1) << boundary << ": " << below << " vs " << at;
        EXPECT_LE(std::abs(below.green - at.green), 1) << boundary << ": " << below << " vs " << at;
        EXPECT_LE(std::abs(below.blue - at.blue), 1) << boundary << ": " << below << " vs " << at;
    }
}

TEST(WavelengthColour, StaysWithinTheIntensityRangeThroughoutTheSpectrum) {
    for (double wavelength = 340; wavelength <= 810; wavelength += 0.25) {
        const Intensities colour = wavelengthIntensities(wavelength);
        for (std::int32_t intensity : {colour.red, colour.green, colour.blue}) {
            ASSERT_GE(intensity, 0) << wavelength << " nm gives " << colour;
            ASSERT_LE(intensity, 65535) << wavelength << " nm gives " << colour;
        }
    }
}

struct BandRow {
    const char* name;
    std::int32_t scale;
    double centre, width;
    std::int32_t blockWidth;
    std::size_t blockCount;
};

const BandRow kBandRows[] = {
    {"logarithmic 150 nm", Logarithmic, 575, 150, 5, 200},
    {"linear 150 nm paints single columns", Linear, 575, 150, 1, 1000},
    {"logarithmic 200 nm", Logarithmic, 575, 200, 5, 200},
    {"linear 200 nm", Linear, 575, 200, 1, 1000},
    {"just over 200 nm", Logarithmic, 575, 200.5, 4, 250},
    {"400 nm", Linear, 575, 400, 4, 250},
    {"just over 400 nm", Logarithmic, 575, 401, 3, 334},
    {"linear 450 nm", Linear, 575, 450, 3, 334},
    {"750 nm", Linear, 575, 750, 3, 334},
    {"just over 750 nm", Logarithmic, 575, 751, 2, 500},
    {"whole range", Linear, 10005, 19990, 2, 500},
    {"whole range, logarithmic", Logarithmic, 10005, 19990, 2, 500},
};

TEST(ColourBand, TilesTheBandWithBlocksSampledOneColumnRightOfTheirEdge) {
    for (const BandRow& row : kBandRows) {
        SCOPED_TRACE(row.name);
        const SpectrumView view = viewOf(row.scale, row.centre, row.width);
        const ColourBandPlan plan = colourBandPlan(view);
        EXPECT_FALSE(plan.wholeBandFirst);
        EXPECT_EQ(plan.blockWidth, row.blockWidth);
        ASSERT_EQ(plan.blocks.size(), row.blockCount);
        std::int32_t nextColumn = 0;
        for (const BandBlock& block : plan.blocks) {
            ASSERT_EQ(block.x1, nextColumn) << "gap or overlap before column " << nextColumn;
            EXPECT_EQ(block.x2 - block.x1 + 1, row.blockWidth) << "block at " << block.x1;
            EXPECT_DOUBLE_EQ(block.wavelength, view.wavelengthAt(block.x1 + 1))
                << "block at " << block.x1;
            nextColumn = block.x2 + 1;
        }
        EXPECT_GE(plan.blocks.back().x2, 999) << "the band ends at column 999";
        EXPECT_LE(plan.blocks.back().x1, 999);
    }
}

TEST(ColourBand, LinearViewOf450nmEndsWithABlockPastTheBand) {
    const ColourBandPlan plan = colourBandPlan(viewOf(Linear, 575, 450));
    ASSERT_FALSE(plan.blocks.empty());
    EXPECT_EQ(plan.blocks.front().x1, 0);
    EXPECT_DOUBLE_EQ(plan.blocks.front().wavelength, 350.45);
    EXPECT_EQ(plan.blocks.back().x1, 999);
    EXPECT_EQ(plan.blocks.back().x2, 1001);
    EXPECT_DOUBLE_EQ(plan.blocks.back().wavelength, 800);
}

struct ShortcutRow {
    const char* name;
    std::int32_t scale;
    double centre, width;
    bool wholeBandFirst;
    double wholeBandWavelength;
    bool blocksFollow;
};

const ShortcutRow kShortcutRows[] = {
    {"logarithmic view wholly in the infrared", Logarithmic, 950, 100, true, 1000, true},
    {"logarithmic view wholly in the ultraviolet", Logarithmic, 200, 200, true, 300, false},
    {"linear view in the infrared has no shortcut", Linear, 950, 100, false, 0, true},
    {"linear view in the ultraviolet has no shortcut", Linear, 200, 200, false, 0, true},
    {"logarithmic view starting exactly at 800 nm", Logarithmic, 850, 100, false, 0, true},
    {"logarithmic view ending exactly at 350 nm", Logarithmic, 300, 100, false, 0, true},
};

TEST(ColourBand, PaintsLogarithmicViewsOutsideTheSpectrumInOneTone) {
    for (const ShortcutRow& row : kShortcutRows) {
        SCOPED_TRACE(row.name);
        const ColourBandPlan plan = colourBandPlan(viewOf(row.scale, row.centre, row.width));
        EXPECT_EQ(plan.wholeBandFirst, row.wholeBandFirst);
        if (row.wholeBandFirst) {
            EXPECT_EQ(plan.wholeBandWavelength, row.wholeBandWavelength);
        }
        EXPECT_EQ(!plan.blocks.empty(), row.blocksFollow);
        EXPECT_EQ(plan.blockWidth != 0, row.blocksFollow);
    }
}

TEST(ColourBand, InfraredViewIsOneEvenTone) {
    const ColourBandPlan plan = colourBandPlan(viewOf(Logarithmic, 5000, 4000));
    ASSERT_TRUE(plan.wholeBandFirst);
    EXPECT_EQ(wavelengthIntensities(plan.wholeBandWavelength), kInfrared);
    for (const BandBlock& block : plan.blocks) {
        ASSERT_EQ(wavelengthIntensities(block.wavelength), kInfrared) << "block at " << block.x1;
    }
}

TEST(ColourBand, UltravioletViewIsOneEvenTone) {
    const ColourBandPlan plan = colourBandPlan(viewOf(Logarithmic, 100, 150));
    ASSERT_TRUE(plan.wholeBandFirst);
    EXPECT_EQ(wavelengthIntensities(plan.wholeBandWavelength), kUltraviolet);
    EXPECT_TRUE(plan.blocks.empty());
}

TEST(ColourBand, LogarithmicBlocksFollowTheLogarithmicMapping) {
    const ColourBandPlan plan = colourBandPlan(viewOf(Logarithmic, 575, 450));
    ASSERT_EQ(plan.blockWidth, 3);
    // Block 166 starts at column 498 and is sampled at x = 499, next to the geometric mean.
    const BandBlock& middle = plan.blocks.at(166);
    EXPECT_EQ(middle.x1, 498);
    EXPECT_NEAR(middle.wavelength, 350 * std::pow(800.0 / 350.0, 0.499), 1e-9);
    EXPECT_LT(middle.wavelength, 575) << "a linear sample would be about 574.8";
}

}  // namespace
}  // namespace quorvanta
