#include "render_fixture.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "core/program.h"
#include "spectrum/pixel.h"
#include "spectrum/renderer.h"
#include "toolkit/toolkit.h"

namespace quorvanta::test {

namespace {

constexpr std::int32_t kLightGrey = 93;  // the main grid's background, as its colours give it

}  // namespace

double wavelengthAt(std::int32_t scale, double centre, double width, double x) {
    const double right = centre + width / 2;
    const double left = right - width;
    if (scale == Linear) return left + x / (1000 / width);
    return left * std::pow(right / left, x / 1000);
}

double xOf(std::int32_t scale, double centre, double width, double wavelength) {
    const double right = centre + width / 2;
    const double left = right - width;
    if (scale == Linear) return (wavelength - left) * 1000 / width;
    return (std::log10(wavelength) - std::log10(left)) * 1000 /
           (std::log10(right) - std::log10(left));
}

std::int32_t pixelOf(double x) {
    std::int32_t column = 0;
    roundToPixel(x, column);
    return column;
}

Rgb rgbOfColour(std::int32_t colour) {
    return XgrColourRGB(colour);
}

Rgb rgbOf(const Intensities& intensities) {
    return rgbOfColour(XgrRGBColour(intensities.red, intensities.green, intensities.blue));
}

std::string describe(Rgb rgb) {
    char text[16];
    std::snprintf(text, sizeof text, "#%06X", rgb);
    return text;
}

CatalogueBuilder::CatalogueBuilder() {
    db_.media.assign(1, Medium{});
    db_.mediumSelected.assign(1, 0);
    db_.transitions.assign(1, Transition{});
}

CatalogueBuilder& CatalogueBuilder::medium(std::string_view name, bool selected) {
    db_.media.push_back(makeMedium(name, "gas"));
    db_.mediumSelected.push_back(selected ? 1 : 0);
    ++db_.mediumCount;
    return *this;
}

CatalogueBuilder& CatalogueBuilder::line(std::string_view mediumName, double wavelength) {
    db_.transitions.push_back(makeTransition(mediumName, wavelength));
    ++db_.transitionCount;
    return *this;
}

void CatalogueBuilder::install() {
    db_.resolveMediumNames();
    program.database = db_;
}

void RenderTest::SetUp() {
    program = Program{};
    XgrResetToolkit();
    std::int32_t window = 0;
    XgrCreateWindow(window, 0, 0, 0, kGridWidth, kGridHeight, 0, 0);
    std::int32_t x = 0, y = 0, width = kGridWidth, height = kGridHeight;
    XuiCreateGrid(grid_, 0, x, y, width, height, window, 0, nullptr);
    std::int32_t buffer = 0;
    XgrCreateGrid(buffer, kImageGridType, 0, 0, kGridWidth, kGridHeight, window, grid_, nullptr);
    XgrSetGridBuffer(grid_, buffer, 0, 0);
    XgrSetBackgroundColor(grid_, kLightGrey);
    program.mainWindow = grid_;
    program.view = SpectrumView::startValues();
    program.passCount = 5;  // past the start-up redraw
    CatalogueBuilder().install();
}

void RenderTest::TearDown() {
    program = Program{};
    XgrResetToolkit();
}

void RenderTest::setView(std::int32_t scale, double centre, double width) {
    program.view = SpectrumView::startValues();
    program.view.scale = scale;
    program.view.viewCentre = centre;
    program.view.viewWidth = width;
}

void RenderTest::redraw() {
    DrawSpectrum(program.view.viewCentre, program.view.viewWidth);
}

Rgb RenderTest::pixel(std::int32_t x, std::int32_t y) const {
    std::int32_t red = 0, green = 0, blue = 0, colour = 0;
    XgrGrabPoint(grid_, x, y, red, green, blue, colour);
    return rgbOfColour(colour);
}

std::int32_t RenderTest::topmostRow(std::int32_t x, Rgb colour, std::int32_t top,
                                    std::int32_t bottom) const {
    for (std::int32_t y = top; y <= bottom; ++y)
        if (pixel(x, y) == colour) return y;
    return -1;
}

std::int32_t RenderTest::countPixels(Rgb colour, std::int32_t x1, std::int32_t y1, std::int32_t x2,
                                     std::int32_t y2) const {
    std::int32_t count = 0;
    for (std::int32_t y = std::max(y1, 0); y <= std::min(y2, kGridHeight - 1); ++y)
        for (std::int32_t x = std::max(x1, 0); x <= std::min(x2, kGridWidth - 1); ++x)
            if (pixel(x, y) == colour) ++count;
    return count;
}

std::int32_t RenderTest::leftmostColumn(Rgb colour, std::int32_t x1, std::int32_t y1,
                                        std::int32_t x2, std::int32_t y2) const {
    for (std::int32_t x = std::max(x1, 0); x <= std::min(x2, kGridWidth - 1); ++x)
        if (countPixels(colour, x, y1, x, y2) > 0) return x;
    return -1;
}

std::vector<Rgb> RenderTest::wholePicture() const {
    std::vector<Rgb> picture;
    picture.reserve(std::size_t{kGridWidth} * kGridHeight);
    for (std::int32_t y = 0; y < kGridHeight; ++y)
        for (std::int32_t x = 0; x < kGridWidth; ++x)
            picture.push_back(pixel(x, y));
    return picture;
}

}  // namespace quorvanta::test
