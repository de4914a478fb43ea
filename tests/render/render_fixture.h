// The main grid as start-up makes it (a 1000 x 700 window grid that draws into an image buffer),
// catalogues built in code, and pixel reads from the buffer.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "database/transition_database.h"
#include "spectrum/spectrum_view.h"
#include "spectrum/wavelength_colour.h"

namespace quorvanta::test {

// A pixel as 0xRRGGBB.
using Rgb = std::uint32_t;

// What the toolkit paints for a palette number or a converted colour.
Rgb rgbOfColour(std::int32_t colour);
Rgb rgbOf(const Intensities& intensities);
std::string describe(Rgb rgb);

// Builds a catalogue in memory; media and transitions are numbered from 1 in the order added.
class CatalogueBuilder {
  public:
    CatalogueBuilder();
    CatalogueBuilder& medium(std::string_view name, bool selected = true);
    CatalogueBuilder& line(std::string_view mediumName, double wavelength);
    // Resolves the medium names and makes the catalogue program.database.
    void install();

  private:
    TransitionDatabase db_;
};

class RenderTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // program.view with the start values, then the given scale and range.
    static void setView(std::int32_t scale, double centre, double width);
    // The redraw every caller makes: DrawSpectrum with the view's centre and width.
    static void redraw();

    Rgb pixel(std::int32_t x, std::int32_t y) const;
    // The topmost row of column x within rows top..bottom that has the colour; -1 when none.
    std::int32_t topmostRow(std::int32_t x, Rgb colour, std::int32_t top,
                            std::int32_t bottom) const;
    // Pixels of the colour in the box x1..x2 x y1..y2 (inclusive).
    std::int32_t countPixels(Rgb colour, std::int32_t x1, std::int32_t y1, std::int32_t x2,
                             std::int32_t y2) const;
    // The leftmost column of the box holding the colour; -1 when none does.
    std::int32_t leftmostColumn(Rgb colour, std::int32_t x1, std::int32_t y1, std::int32_t x2,
                                std::int32_t y2) const;
    // The whole buffer, row by row.
    std::vector<Rgb> wholePicture() const;

    std::int32_t grid_ = 0;
};

inline constexpr std::int32_t kGridWidth = 1000;

// The axis mapping written out from its definition, independent of the code under test.
double wavelengthAt(std::int32_t scale, double centre, double width, double x);
double xOf(std::int32_t scale, double centre, double width, double wavelength);
// The column a position is drawn in.
std::int32_t pixelOf(double x);
inline constexpr std::int32_t kGridHeight = 700;

}  // namespace quorvanta::test
