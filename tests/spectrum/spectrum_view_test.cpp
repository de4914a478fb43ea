// The view's arithmetic (start values, wavelength <-> x, centreOn, fitRange, clampView) and the
// rounding of positions to pixels.
#include "spectrum/spectrum_view.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <limits>
#include <optional>

#include "spectrum/pixel.h"
#include "view_fixtures.h"

namespace quorvanta {
namespace {

using test::viewOf;

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kTolerance = 1e-9;

TEST(SpectrumView, StartsOnTheVisibleSpectrumWithinTheDisplayableRange) {
    const SpectrumView view = SpectrumView::startValues();
    EXPECT_EQ(view.leftEnd(), 350.0);
    EXPECT_EQ(view.rightEnd(), 800.0);
    EXPECT_EQ(view.scale, Logarithmic);
    EXPECT_EQ(view.minWidth, 10);
    EXPECT_EQ(view.lowerBound, 10);
    EXPECT_EQ(view.upperBound, 20000);
    EXPECT_EQ(view.maxWidth, 19990);
    // Seeds that any line beats: "no lines" reads selectedMin 20000, selectedMax 10.
    EXPECT_EQ(view.selectedMin, 20000);
    EXPECT_EQ(view.selectedMax, 10);
    EXPECT_EQ(view.autoZoom, 0);
    EXPECT_EQ(view.autoAvail, 0);
}

struct MappingRow {
    const char* name;
    std::int32_t scale;
    double centre, width;
    double wavelength;
    double x;
};

const MappingRow kMappingRows[] = {
    {"linear left end", Linear, 575, 450, 350, 0},
    {"linear right end", Linear, 575, 450, 800, 1000},
    {"linear whole range", Linear, 10005, 19990, 10005, 500},
    {"logarithmic left end", Logarithmic, 575, 450, 350, 0},
    {"logarithmic right end", Logarithmic, 575, 450, 800, 1000},
    {"logarithmic middle is the geometric mean", Logarithmic, 575, 450, 529.1502622129182, 500},
    {"logarithmic 575 nm lies right of the middle", Logarithmic, 575, 450, 575, 600.5198421939918},
    {"logarithmic narrowest view at the low end", Logarithmic, 15, 10, 14.142135623730951, 500},
};

TEST(SpectrumView, WavelengthsAtOrBelowZeroHaveNoLogarithmicPosition) {
    for (double wavelength : {0.0, -0.0, -1.0, -kInf, kNaN})
        EXPECT_TRUE(std::isnan(SpectrumView::startValues().xOf(wavelength))) << wavelength;
}

TEST(SpectrumView, MapsWavelengthsToPixelsAndBack) {
    for (const MappingRow& row : kMappingRows) {
        SCOPED_TRACE(row.name);
        const SpectrumView view = viewOf(row.scale, row.centre, row.width);
        EXPECT_NEAR(view.xOf(row.wavelength), row.x, kTolerance);
        EXPECT_NEAR(view.wavelengthAt(row.x), row.wavelength, kTolerance * row.centre);
    }
}

// centreOn(a, b) puts wavelength a in the middle of a view b nm wide; fitRange(a, b) shows a..b.
struct MoveRow {
    const char* name;
    std::int32_t scale;
    bool fit;
    double a, b;
    double centre, width;  // after clamping
    double middle;         // the wavelength at x = 500
};

const MoveRow kMoveRows[] = {
    {"centreOn, logarithmic: the ends multiply to 1000 squared", Logarithmic, false, 1000, 100,
     1001.2492197250393, 100, 1000},
    {"centreOn, logarithmic narrowest view", Logarithmic, false, 15, 10, 15.811388300841896, 10,
     15},
    {"centreOn, logarithmic near the upper bound", Logarithmic, false, 19000, 1900,
     19023.735174775746, 1900, 19000},
    {"centreOn, linear: the wavelength is the centre", Linear, false, 532, 20, 532, 20, 532},
    {"fitRange, linear: the interval widened by half", Linear, true, 400, 900, 650, 750, 650},
    {"fitRange, linear: a single line gives the narrowest view", Linear, true, 500, 500, 500, 10,
     500},
    {"fitRange, logarithmic: a single line gives the narrowest view", Logarithmic, true, 500, 500,
     500, 10, 499.9749993749688},
    {"fitRange, logarithmic: the geometric centre in the middle", Logarithmic, true, 400, 700, 575,
     450, 529.1502622129182},
    {"fitRange, logarithmic: two decades", Logarithmic, true, 3000, 12000, 9031.195934094221, 13500,
     6000},
    {"fitRange, linear: too wide becomes the whole range", Linear, true, 20, 19000, 10005, 19990,
     10005},
    {"centreOn a NaN wavelength: the middle of the range", Logarithmic, false, kNaN, 100, 10005,
     100, 10004.875061688675},
    {"centreOn with a NaN width: the whole range", Logarithmic, false, 1000, kNaN, 10005, 19990,
     447.21359549995793},
    {"fitRange from -inf to +inf: the whole range", Linear, true, -kInf, kInf, 10005, 19990, 10005},
    {"fitRange on DBL_MAX: the narrowest view at the high end", Logarithmic, true, DBL_MAX, DBL_MAX,
     19995, 10, 19994.999374843705},
};

TEST(SpectrumView, CentreOnAndFitRangeShowTheirWavelengths) {
    for (const MoveRow& row : kMoveRows) {
        SCOPED_TRACE(row.name);
        SpectrumView view = viewOf(row.scale, 575, 450);
        if (row.fit) {
            view.fitRange(row.a, row.b);
        } else {
            view.centreOn(row.a, row.b);
        }
        view.clampView();
        EXPECT_NEAR(view.viewCentre, row.centre, kTolerance * row.centre);
        EXPECT_NEAR(view.viewWidth, row.width, kTolerance * row.centre);
        EXPECT_NEAR(view.wavelengthAt(500), row.middle, kTolerance * row.centre);
    }
}

struct ClampRow {
    const char* name;
    double centre, width;
    double clampedCentre, clampedWidth;
};

const ClampRow kClampRows[] = {
    {"valid view is untouched", 575, 450, 575, 450},
    {"too narrow at the low end widens and moves right", 12, 4, 15, 10},
    {"past the high end moves left", 19900, 450, 19775, 450},
    {"past the low end moves right", 100, 450, 235, 450},
    {"too narrow at the high end", 20000, 4, 19995, 10},
    {"too wide becomes the whole range", 575, 25000, 10005, 19990},
    {"exactly the whole range", 10005, 19990, 10005, 19990},
    {"NaN width becomes the whole range", 575, kNaN, 10005, 19990},
    {"NaN centre becomes the middle of the range, keeping the width", kNaN, 450, 10005, 450},
    {"+inf centre moves to the high end", kInf, 450, 19775, 450},
    {"+inf width becomes the whole range", 575, kInf, 10005, 19990},
    {"DBL_MAX width becomes the whole range", 575, DBL_MAX, 10005, 19990},
};

TEST(SpectrumView, ClampViewRestoresTheLimits) {
    for (const ClampRow& row : kClampRows) {
        SCOPED_TRACE(row.name);
        SpectrumView view = viewOf(Logarithmic, row.centre, row.width);
        view.clampView();
        EXPECT_EQ(view.viewCentre, row.clampedCentre);
        EXPECT_EQ(view.viewWidth, row.clampedWidth);
    }
}

struct PixelRow {
    const char* name;
    double value;
    std::optional<std::int32_t> pixel;  // nullopt: no pixel
};

const PixelRow kPixelRows[] = {
    {"half rounds up", 0.5, 1},
    {"negative half rounds away from zero", -0.5, -1},
    {"just below a half rounds down", 2.4999, 2},
    {"tick at -0.5 of the full linear range", -0.50025012506253127, -1},
    {"largest double", DBL_MAX, 1'000'000},
    {"most negative double", -DBL_MAX, -1'000'000},
    {"positive infinity", kInf, 1'000'000},
    {"negative infinity", -kInf, -1'000'000},
    {"NaN", kNaN, std::nullopt},
};

TEST(RoundToPixel, RoundsToNearestAndClampsEveryInput) {
    for (const PixelRow& row : kPixelRows) {
        SCOPED_TRACE(row.name);
        constexpr std::int32_t kUntouched = 12345;
        std::int32_t out = kUntouched;
        EXPECT_EQ(roundToPixel(row.value, out), row.pixel.has_value());
        EXPECT_EQ(out, row.pixel.value_or(kUntouched));
    }
}

}  // namespace
}  // namespace quorvanta
