// The main grid as start-up makes it (a 1000 x 700 window grid that draws into an image buffer),
// catalogues installed from tests/common's CatalogueImage, and pixel reads from the buffer.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "common/catalogue_image.h"
#include "core/program.h"
#include "spectrum/pixel.h"
#include "spectrum/renderer.h"
#include "toolkit/toolkit.h"

namespace quorvanta::test {

using testing::CatalogueImage;

inline constexpr std::int32_t kGridWidth = 1000;
inline constexpr std::int32_t kGridHeight = 700;

// A pixel as 0xRRGGBB, as the toolkit paints a palette number or a converted colour.
using Rgb = std::uint32_t;
inline Rgb rgbOfColour(std::int32_t colour) {
    return XgrColourRGB(colour);
}
inline Rgb rgbOf(const Intensities& c) {
    return rgbOfColour(XgrRGBColour(c.red, c.green, c.blue));
}
inline std::string describe(Rgb rgb) {
    char text[16];
    std::snprintf(text, sizeof text, "#%06X", rgb);
    return text;
}

// Loads the catalogue's file image into program.database and selects medium m when
// selected[m - 1] is 1, every medium by default.
inline void install(const CatalogueImage& catalogue, std::vector<std::int32_t> selected = {}) {
    TransitionDatabase db;
    db.minWavelength = 20000;  // the seeds the loader expects
    db.maxWavelength = 10;
    ASSERT_EQ(loadTransitionDatabase(catalogue.bytes(), "catalogue", db).status,
              LoadReport::Status::Loaded);
    selected.resize(catalogue.media().size(), 1);
    std::copy(selected.begin(), selected.end(), db.mediumSelected.begin() + 1);
    program.database = std::move(db);
}

class RenderTest : public ::testing::Test {
  protected:
    void SetUp() override {
        program = Program{};
        XgrResetToolkit();
        std::int32_t window = 0, buffer = 0;
        std::int32_t x = 0, y = 0, width = kGridWidth, height = kGridHeight;
        XgrCreateWindow(window, 0, 0, 0, kGridWidth, kGridHeight, 0, 0);
        XuiCreateGrid(grid_, 0, x, y, width, height, window, 0, nullptr);
        XgrCreateGrid(buffer, kImageGridType, 0, 0, kGridWidth, kGridHeight, window, grid_,
                      nullptr);
        XgrSetGridBuffer(grid_, buffer, 0, 0);
        XgrSetBackgroundColor(grid_, 93);  // light grey, as start-up sets it
        program.mainWindow = grid_;
        program.view = SpectrumView::startValues();
        program.passCount = 5;  // past the start-up redraw
        install(CatalogueImage());
    }
    void TearDown() override {
        program = Program{};
        XgrResetToolkit();
    }

    // program.view with the start values, then the given scale and range.
    static void setView(std::int32_t scale, double centre, double width) {
        program.view = SpectrumView::startValues();
        program.view.scale = scale;
        program.view.viewCentre = centre;
        program.view.viewWidth = width;
    }
    // The redraw every caller makes: DrawSpectrum with the view's centre and width.
    static void redraw() { DrawSpectrum(program.view.viewCentre, program.view.viewWidth); }
    // The column a position, or a wavelength in the current view, is drawn in.
    static std::int32_t pixelOf(double x) {
        std::int32_t column = 0;
        roundToPixel(x, column);
        return column;
    }
    static std::int32_t columnOf(double wavelength) {
        return pixelOf(program.view.xOf(wavelength));
    }

    Rgb pixel(std::int32_t x, std::int32_t y) const {
        std::int32_t red = 0, green = 0, blue = 0, colour = 0;
        XgrGrabPoint(grid_, x, y, red, green, blue, colour);
        return rgbOfColour(colour);
    }
    // The topmost row of column x within rows top..bottom that has the colour; -1 when none.
    std::int32_t topmostRow(std::int32_t x, Rgb colour, std::int32_t top,
                            std::int32_t bottom) const {
        for (std::int32_t y = top; y <= bottom; ++y)
            if (pixel(x, y) == colour) return y;
        return -1;
    }
    // Pixels of the colour in the box x1..x2 x y1..y2 (inclusive), clipped to the grid.
    std::int32_t countPixels(Rgb colour, std::int32_t x1, std::int32_t y1, std::int32_t x2,
                             std::int32_t y2) const {
        std::int32_t count = 0;
        for (std::int32_t y = std::max(y1, 0); y <= std::min(y2, kGridHeight - 1); ++y)
            for (std::int32_t x = std::max(x1, 0); x <= std::min(x2, kGridWidth - 1); ++x)
                count += pixel(x, y) == colour;
        return count;
    }
    std::vector<Rgb> wholePicture() const {
        std::vector<Rgb> picture;
        for (std::int32_t y = 0; y < kGridHeight; ++y)
            for (std::int32_t x = 0; x < kGridWidth; ++x)
                picture.push_back(pixel(x, y));
        return picture;
    }

    std::int32_t grid_ = 0;
};

}  // namespace quorvanta::test
