// The wheel's zoom about a column: the wavelength under it stays put on both scales, and near
// the limits of the view only clamping moves it.

#include <gtest/gtest.h>

#include <cmath>

#include "spectrum/anchored_zoom.h"

namespace quorvanta {
namespace {

SpectrumView view(std::int32_t scale, double centre, double width) {
    SpectrumView v = SpectrumView::startValues();
    v.scale = scale;
    v.viewCentre = centre;
    v.viewWidth = width;
    return v;
}

TEST(AnchoredZoom, KeepsTheWavelengthUnderTheColumn) {
    struct Row {
        const char* name;
        SpectrumView before;
        double x, factor;
    };
    const Row rows[] = {
        {"linear, start view, left third, in", view(Linear, 575, 450), 333, 0.9},
        {"logarithmic, start view, left third, in", view(Logarithmic, 575, 450), 333, 0.9},
        {"logarithmic, wide, near the left, out", view(Logarithmic, 5000, 9000), 3, 1 / 0.9},
        {"logarithmic, whole range, column 999, in", view(Logarithmic, 10005, 19990), 999, 0.9},
        {"logarithmic, column 0, out", view(Logarithmic, 1064, 21), 0, 1 / 0.9},
        {"logarithmic, narrow far right, in", view(Logarithmic, 19000, 12), 800, 0.9},
        {"linear, column 999, out", view(Linear, 10000, 100), 999, 1 / 0.9},
        {"five notches at once", view(Logarithmic, 2000, 3000), 120, std::pow(0.9, 5)},
    };
    for (const Row& row : rows) {
        SpectrumView after = row.before;
        const double wavelength = row.before.wavelengthAt(row.x);
        zoomAboutColumn(after, row.x, row.before.viewWidth * row.factor);
        EXPECT_DOUBLE_EQ(after.viewWidth, row.before.viewWidth * row.factor) << row.name;
        EXPECT_NEAR(after.wavelengthAt(row.x), wavelength, wavelength * 1e-12) << row.name;
    }
}

TEST(AnchoredZoom, AtTheLimitsOnlyClampingMovesTheWavelength) {
    // Zooming in at the narrowest width or out at the widest changes nothing at all.
    for (const std::int32_t scale : {Linear, Logarithmic}) {
        SpectrumView narrowest = view(scale, 700, 10);
        zoomAboutColumn(narrowest, 250, 9);
        EXPECT_DOUBLE_EQ(narrowest.viewWidth, 10);
        EXPECT_NEAR(narrowest.viewCentre, 700, 1e-9);
        SpectrumView widest = view(scale, 10005, 19990);
        zoomAboutColumn(widest, 700, 19990 / 0.9);
        EXPECT_DOUBLE_EQ(widest.viewWidth, 19990);
        EXPECT_NEAR(widest.viewCentre, 10005, 1e-6);
    }
    // Zooming out at the left end pushes the view past 10 nm; clamping puts it back, with the left
    // end at 10 nm and the new width kept.
    for (const std::int32_t scale : {Linear, Logarithmic}) {
        SpectrumView v = view(scale, 235, 450);
        zoomAboutColumn(v, 900, 500);
        EXPECT_LT(v.leftEnd(), 10.0);
        v.clampView();
        EXPECT_DOUBLE_EQ(v.leftEnd(), 10.0);
        EXPECT_DOUBLE_EQ(v.viewWidth, 500.0);
    }
}

}  // namespace
}  // namespace quorvanta
