#include "spectrum/wavelength_colour.h"

#include <gtest/gtest.h>

#include <cmath>
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

// The turning points of the spectrum as fractions of full intensity. Each is reached from below
// as well as at the point itself: a wrong constant or sign in one range shows as a jump there.
struct TurningPoint {
    double wavelength;
    double red, green, blue;
};

const TurningPoint kTurningPoints[] = {
    {381, 0.14, 0, 0.14}, {412, 0.17, 0, 0.2}, {444, 0, 0, 0.5},
    {485, 0, 0.65, 0.6},  {526, 0, 0.8, 0},    {555, 0.45, 0.8, 0},
    {586, 0.8, 0.8, 0},   {645, 0.75, 0, 0},   {723, 0.35, 0, 0},
};

TEST(WavelengthColour, PassesThroughTheTurningPointsOfTheSpectrumWithoutAJump) {
    for (const TurningPoint& point : kTurningPoints) {
        for (double wavelength : {point.wavelength, std::nextafter(point.wavelength, 0.0)}) {
            const Intensities colour = wavelengthIntensities(wavelength);
            SCOPED_TRACE(::testing::Message() << wavelength << " nm gives " << colour);
            EXPECT_NEAR(colour.red, point.red * 65535, 1);
            EXPECT_NEAR(colour.green, point.green * 65535, 1);
            EXPECT_NEAR(colour.blue, point.blue * 65535, 1);
        }
    }
}

// Blocks are sampled one column right of their left edge; a logarithmic view wholly outside the
// spectrum is first filled with one tone over the whole band.
struct BandRow {
    const char* name;
    std::int32_t scale;
    double centre, width;
    double wholeBandWavelength;  // 0: no whole-band fill
    std::int32_t blockWidth;     // 0: no blocks
    std::size_t blockCount;
    std::int32_t lastColumn;  // x2 of the last block; 1001 runs two columns past the band
};

const BandRow kBandRows[] = {
    {"logarithmic 200 nm", Logarithmic, 575, 200, 0, 5, 200, 999},
    {"linear 200 nm paints single columns", Linear, 575, 200, 0, 1, 1000, 999},
    {"just over 200 nm", Logarithmic, 575, 200.5, 0, 4, 250, 999},
    {"400 nm", Linear, 575, 400, 0, 4, 250, 999},
    {"just over 400 nm", Logarithmic, 575, 401, 0, 3, 334, 1001},
    {"750 nm", Linear, 575, 750, 0, 3, 334, 1001},
    {"just over 750 nm", Logarithmic, 575, 751, 0, 2, 500, 999},
    {"logarithmic view wholly in the infrared", Logarithmic, 950, 100, 1000, 5, 200, 999},
    {"logarithmic view wholly in the ultraviolet", Logarithmic, 200, 200, 300, 0, 0, 0},
    {"linear view in the infrared has no shortcut", Linear, 950, 100, 0, 1, 1000, 999},
    {"linear view in the ultraviolet has no shortcut", Linear, 200, 200, 0, 1, 1000, 999},
    {"logarithmic view starting exactly at 800 nm", Logarithmic, 850, 100, 0, 5, 200, 999},
    {"logarithmic view ending exactly at 350 nm", Logarithmic, 300, 100, 0, 5, 200, 999},
};

TEST(ColourBand, TilesTheBandWithBlocksOrOneToneOutsideTheSpectrum) {
    for (const BandRow& row : kBandRows) {
        SCOPED_TRACE(row.name);
        const SpectrumView view = viewOf(row.scale, row.centre, row.width);
        const ColourBandPlan plan = colourBandPlan(view);
        EXPECT_EQ(plan.wholeBandFirst, row.wholeBandWavelength != 0);
        if (plan.wholeBandFirst) {
            EXPECT_EQ(plan.wholeBandWavelength, row.wholeBandWavelength);
        }
        EXPECT_EQ(plan.blockWidth, row.blockWidth);
        ASSERT_EQ(plan.blocks.size(), row.blockCount);
        std::int32_t nextColumn = 0;
        for (const BandBlock& block : plan.blocks) {
            ASSERT_EQ(block.x1, nextColumn) << "gap or overlap before column " << nextColumn;
            ASSERT_EQ(block.x2 - block.x1 + 1, row.blockWidth) << "block at " << block.x1;
            ASSERT_DOUBLE_EQ(block.wavelength, view.wavelengthAt(block.x1 + 1))
                << "block at " << block.x1;
            nextColumn = block.x2 + 1;
        }
        if (!plan.blocks.empty()) {
            EXPECT_EQ(plan.blocks.back().x2, row.lastColumn);
        }
    }
}

}  // namespace
}  // namespace quorvanta
