#include "spectrum/spectrum_view.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <limits>
#include <string>

#include "view_fixtures.h"

namespace quorvanta {
namespace {

using test::scaleName;
using test::viewOf;

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kTolerance = 1e-9;

// The invariants every redraw relies on, with a few ulps of slack for the rounding of the ends.
void expectValidView(const SpectrumView& view) {
    ASSERT_TRUE(std::isfinite(view.viewCentre)) << "centre " << view.viewCentre;
    ASSERT_TRUE(std::isfinite(view.viewWidth)) << "width " << view.viewWidth;
    EXPECT_GE(view.viewWidth, view.minWidth);
    EXPECT_LE(view.viewWidth, view.maxWidth);
    EXPECT_GE(view.leftEnd(), view.lowerBound - kTolerance)
        << "centre " << view.viewCentre << " width " << view.viewWidth;
    EXPECT_LE(view.rightEnd(), view.upperBound + kTolerance)
        << "centre " << view.viewCentre << " width " << view.viewWidth;
}

TEST(SpectrumView, StartsOnTheVisibleSpectrumWithinTheDisplayableRange) {
    const SpectrumView view = SpectrumView::startValues();
    EXPECT_EQ(view.leftEnd(), 350.0);
    EXPECT_EQ(view.rightEnd(), 800.0);
    EXPECT_EQ(view.scale, Logarithmic);
    EXPECT_EQ(view.maxWidth, view.upperBound - view.lowerBound);
    // The seeds are beaten by any line, so "no lines" reads selectedMin >= upperBound.
    EXPECT_EQ(view.selectedMin, view.upperBound);
    EXPECT_EQ(view.selectedMax, view.lowerBound);
    expectValidView(view);
}

struct MappingRow {
    const char* name;
    std::int32_t scale;
    double wavelength;
    double x;
};

// On the start view, 350..800 nm.
const MappingRow kStartViewMapping[] = {
    {"linear left end", Linear, 350, 0},
    {"linear right end", Linear, 800, 1000},
    {"linear centre", Linear, 575, 500},
    {"linear outside on the left", Linear, 305, -100},
    {"logarithmic left end", Logarithmic, 350, 0},
    {"logarithmic right end", Logarithmic, 800, 1000},
    {"logarithmic geometric mean at the centre", Logarithmic, std::sqrt(350.0 * 800.0), 500},
    {"logarithmic one decade up is beyond the right end", Logarithmic, 3500,
     1000 / std::log10(800.0 / 350.0)},
};

TEST(SpectrumView, MapsWavelengthsToPixelsAndBack) {
    for (const MappingRow& row : kStartViewMapping) {
        SCOPED_TRACE(row.name);
        SpectrumView view = SpectrumView::startValues();
        view.scale = row.scale;
        EXPECT_NEAR(view.xOf(row.wavelength), row.x, kTolerance);
        EXPECT_NEAR(view.wavelengthAt(row.x), row.wavelength, kTolerance * row.wavelength);
    }
}

TEST(SpectrumView, LogarithmicCentreShowsTheGeometricMeanNotTheCentre) {
    const SpectrumView view = SpectrumView::startValues();
    EXPECT_NEAR(view.wavelengthAt(500), 529.150262, 1e-6);
    EXPECT_GT(view.xOf(575), 500);
}

TEST(SpectrumView, WavelengthsAtOrBelowZeroHaveNoLogarithmicPosition) {
    const SpectrumView view = SpectrumView::startValues();
    for (double wavelength : {0.0, -0.0, -1.0, -kInf, kNaN}) {
        EXPECT_TRUE(std::isnan(view.xOf(wavelength))) << "wavelength " << wavelength;
    }
    SpectrumView linear = view;
    linear.scale = Linear;
    EXPECT_NEAR(linear.xOf(0), -350 * 1000 / 450.0, kTolerance)
        << "the linear scale places every finite wavelength";
}

TEST(SpectrumView, InverseMappingRoundTripsAcrossViews) {
    const double kViews[][2] = {{575, 450}, {15, 10}, {10005, 19990}, {19995, 10}, {1001.25, 100}};
    for (std::int32_t scale : {Logarithmic, Linear}) {
        for (const auto& [centre, width] : kViews) {
            const SpectrumView view = viewOf(scale, centre, width);
            for (double x : {0.0, 1.0, 333.3, 500.0, 999.0, 1000.0}) {
                const double wavelength = view.wavelengthAt(x);
                EXPECT_NEAR(view.xOf(wavelength), x, 1e-7)
                    << scaleName(scale) << " view " << centre << " / " << width << " at x " << x;
            }
        }
    }
}

TEST(SpectrumView, CentreOnPutsTheWavelengthAtTheMiddleColumn) {
    SpectrumView view = SpectrumView::startValues();
    view.centreOn(1000, 100);
    EXPECT_NEAR(view.viewCentre, std::sqrt(1000.0 * 1000.0 + 50.0 * 50.0), kTolerance);
    EXPECT_NEAR(view.viewCentre, 1001.249, 1e-3);
    EXPECT_EQ(view.viewWidth, 100);
    EXPECT_NEAR(view.leftEnd() * view.rightEnd(), 1e6, 1e-6);
    EXPECT_NEAR(view.xOf(1000), 500, kTolerance);

    const double kTargets[][2] = {{15, 10}, {532, 20}, {633, 450}, {10000, 5000}, {19000, 1900}};
    for (std::int32_t scale : {Logarithmic, Linear}) {
        for (const auto& [wavelength, width] : kTargets) {
            view.scale = scale;
            view.centreOn(wavelength, width);
            EXPECT_EQ(view.viewWidth, width);
            EXPECT_NEAR(view.wavelengthAt(500), wavelength, kTolerance * wavelength)
                << scaleName(scale) << " centreOn(" << wavelength << ", " << width << ")";
        }
    }
}

struct FitRow {
    const char* name;
    std::int32_t scale;
    double a, b;
    bool clamp;
    double centre, width;
};

const FitRow kFitRows[] = {
    {"linear interval widened by half", Linear, 400, 900, false, 650, 750},
    {"single line becomes the narrowest view, linear", Linear, 500, 500, true, 500, 10},
    {"single line becomes the narrowest view, logarithmic", Logarithmic, 500, 500, true, 500, 10},
    {"logarithmic interval around its geometric centre", Logarithmic, 400, 700, true, 575, 450},
    {"linear interval too wide becomes the whole range", Linear, 20, 19000, true, 10005, 19990},
};

TEST(SpectrumView, FitRangeShowsTheIntervalWithAMargin) {
    for (const FitRow& row : kFitRows) {
        SCOPED_TRACE(row.name);
        SpectrumView view = SpectrumView::startValues();
        view.scale = row.scale;
        view.fitRange(row.a, row.b);
        if (row.clamp) view.clampView();
        EXPECT_NEAR(view.viewCentre, row.centre, kTolerance);
        EXPECT_NEAR(view.viewWidth, row.width, kTolerance);
    }
}

TEST(SpectrumView, LogarithmicFitKeepsTheIntervalsGeometricCentreInTheMiddle) {
    const double kIntervals[][2] = {{400, 700}, {10, 20000}, {1064, 1064.5}, {3000, 12000}};
    for (const auto& [a, b] : kIntervals) {
        SpectrumView view = SpectrumView::startValues();
        view.fitRange(a, b);
        EXPECT_NEAR(view.viewWidth, (b - a) * 1.5, kTolerance);
        EXPECT_NEAR(view.wavelengthAt(500), std::sqrt(a * b), 1e-9 * b) << a << ".." << b;
        EXPECT_LE(view.xOf(a), view.xOf(b));
        EXPECT_GE(view.xOf(a), 0) << a << ".." << b;
        EXPECT_LE(view.xOf(b), 1000) << a << ".." << b;
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
};

TEST(SpectrumView, ClampViewRestoresTheLimits) {
    for (const ClampRow& row : kClampRows) {
        SCOPED_TRACE(row.name);
        for (std::int32_t scale : {Logarithmic, Linear}) {
            SpectrumView view = viewOf(scale, row.centre, row.width);
            view.clampView();
            EXPECT_EQ(view.viewCentre, row.clampedCentre) << scaleName(scale);
            EXPECT_EQ(view.viewWidth, row.clampedWidth) << scaleName(scale);
            expectValidView(view);
        }
    }
}

struct NamedValue {
    const char* name;
    double value;
};

const NamedValue kHostileValues[] = {
    {"NaN", kNaN},          {"+inf", kInf},       {"-inf", -kInf}, {"DBL_MAX", DBL_MAX},
    {"-DBL_MAX", -DBL_MAX}, {"DBL_MIN", DBL_MIN}, {"zero", 0.0},   {"negative", -5.0},
    {"575", 575.0},         {"25000", 25000.0},
};

TEST(SpectrumView, ClampViewTurnsAnyCentreAndWidthIntoAValidView) {
    for (const NamedValue& centre : kHostileValues) {
        for (const NamedValue& width : kHostileValues) {
            SCOPED_TRACE(std::string("centre ") + centre.name + ", width " + width.name);
            SpectrumView view = viewOf(Logarithmic, centre.value, width.value);
            view.clampView();
            expectValidView(view);
        }
    }
}

TEST(SpectrumView, ClampViewReplacesNaNByTheWholeRange) {
    SpectrumView unknownWidth = viewOf(Logarithmic, 575, kNaN);
    unknownWidth.clampView();
    EXPECT_EQ(unknownWidth.viewWidth, 19990);
    EXPECT_EQ(unknownWidth.viewCentre, 10005);

    SpectrumView unknownCentre = viewOf(Logarithmic, kNaN, 450);
    unknownCentre.clampView();
    EXPECT_EQ(unknownCentre.viewWidth, 450) << "a valid width is kept";
    EXPECT_EQ(unknownCentre.viewCentre, 10005);
}

TEST(SpectrumView, HostileCentreOnAndFitRangeEndInAValidViewAfterClamping) {
    for (std::int32_t scale : {Logarithmic, Linear}) {
        for (const NamedValue& first : kHostileValues) {
            for (const NamedValue& second : kHostileValues) {
                SCOPED_TRACE(std::string(scaleName(scale)) + " " + first.name + ", " + second.name);
                SpectrumView centred = viewOf(scale, 575, 450);
                centred.centreOn(first.value, second.value);
                centred.clampView();
                expectValidView(centred);

                SpectrumView fitted = viewOf(scale, 575, 450);
                fitted.fitRange(first.value, second.value);
                fitted.clampView();
                expectValidView(fitted);
            }
        }
    }
}

}  // namespace
}  // namespace quorvanta
